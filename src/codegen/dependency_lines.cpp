// Dependency lines for the IDE. Class names in them are dotted, a member class keeping its "$".
#include "codegen/dependency_lines.h"

#include <cstdio>

#include "codegen/class_gen_state.h"
#include "codegen/descriptors.h"
#include "semantic/class_records.h"
#include "support/global.h"
#include "support/source_file.h"

void noteClassDependency(ClassDef* cls) {
  ClassDef* subject = classGen.cls;
  if (!global.dependencyOutput || subject == nullptr || cls == nullptr || cls == subject) return;
  if (cls->lastDependencyFrom == subject) return;
  cls->lastDependencyFrom = subject;
  std::printf("CLDEP:%s,%s\n", dottedClassName(subject), dottedClassName(cls));
}

void writeClassLine(ClassDef* cls) {
  if (!global.dependencyOutput) return;
  std::printf("CLASS:%s,%d,%d,%s\n", cls->sourceFile != nullptr ? cls->sourceFile->name : "", cls->line, cls->endLine,
              dottedClassName(cls));
}
