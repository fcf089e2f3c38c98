// The machine view over the running virtual machine: frames, methods and locals through the
// tool interface (the frame argument is a stack depth, 0 the top frame; the thread must be
// suspended or be the calling thread), objects, fields and arrays through JNI of the entry in
// progress. Every reference it hands out is a global reference, held until releaseObjects, so
// that a result outlives the call that read it.
#pragma once

#include <jni.h>
#include <jvmti.h>

#include <string>
#include <vector>

#include "evaluate/vm_view.h"

class JvmtiView : public VmView {
 public:
  // The thread whose frames the next reads take (a reference of the entry in progress; null
  // for the calling thread).
  void setThread(jthread thread);

  bool selectFrame(int32_t depth) override;
  bool frameHasMethod() override;
  int64_t framePc() override;
  int32_t localTableLength() override;
  VmLocalEntry localEntry(int32_t index) override;
  int32_t localSlotCount() override;
  bool readLocal(int32_t slot, int32_t kind, VmValue* value) override;
  VmClass classOf(VmObject object) override;
  int32_t fieldCount(VmClass cls) override;
  VmField field(VmClass cls, int32_t index) override;
  VmFieldRead readField(VmObject object, VmClass cls, int32_t index, int32_t kind, VmValue* value) override;
  int32_t arrayLength(VmObject array) override;
  bool readElement(VmObject array, int32_t index, int32_t kind, VmValue* value) override;
  // A local reference of the entry in progress: the string belongs to the caller.
  VmObject newString(const uint16_t* units, int32_t length) override;
  void releaseObjects() override;

 private:
  struct ClassFields {
    jclass cls;  // a global reference
    bool listed;
    std::vector<jfieldID> ids;
    std::vector<std::string> names;
    std::vector<std::string> signatures;
    std::vector<bool> statics;
  };

  VmObject hold(jobject local);
  void dropTable();

  jthread thread = nullptr;
  jint depth = 0;
  jmethodID method = nullptr;
  jlocation location = -1;
  bool haveFrame = false;
  jvmtiLocalVariableEntry* table = nullptr;
  jint tableLength = -1;
  jint maxLocals = -1;
  std::vector<jobject> held;
  std::vector<ClassFields> classes;
};
