// Finding a class by package and name. Still lacks the class path and the source path (only
// classes already in the class table are found) and the resolution of member types.
#include "semantic/class_lookup.h"

#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/type_records.h"
#include "syntax/parser_context.h"

ClassDef* loadClass(Package* package, Identifier* name, int32_t, int32_t) {
  ClassDef* cls = findClassInPackage(package, name, 0, 0);
  return cls != nullptr && cls->kind != CLASS_KIND_ERROR ? cls : nullptr;
}

void declareMember(ClassDef*, Member* member) {
  if ((member->modifiers & M_STATIC) == 0 && member->kind == MK_VARIABLE)
    member->slot = static_cast<int16_t>(allocLocalSlots(member->type != nullptr ? slotsForKind(member->type->kind) : 1));
}
