// The running virtual machine as the evaluator sees it. A read the machine refuses (a slot of
// another type, a frame that cannot be read) is a failed read, never a value; an exception a JNI
// read leaves is cleared, so that no later call runs with one pending.
#include "evaluate/jvmti_view.h"

#include "platform/jni_environment.h"
#include "platform/jvm_attachment.h"
#include "semantic/type_records.h"

namespace {

JNIEnv* environment() {
  JNIEnv* env = currentJNIEnv();
  if (env == nullptr && attachedJavaVM() != nullptr) {
    void* attached = nullptr;
    if (attachedJavaVM()->GetEnv(&attached, JNI_VERSION_1_8) == JNI_OK) env = static_cast<JNIEnv*>(attached);
  }
  return env;
}

bool exceptionCleared(JNIEnv* env) {
  if (!env->ExceptionCheck()) return false;
  env->ExceptionClear();
  return true;
}

void deallocate(jvmtiEnv* jvmti, void* memory) {
  if (memory != nullptr) jvmti->Deallocate(static_cast<unsigned char*>(memory));
}

// The frames of a thread that runs change under the reads: only a suspended thread, or the
// calling one, has a frame to evaluate in.
bool stoppedOrCalling(jvmtiEnv* jvmti, jthread thread) {
  if (thread == nullptr) return true;
  jint state = 0;
  if (jvmti->GetThreadState(thread, &state) == JVMTI_ERROR_NONE && (state & JVMTI_THREAD_STATE_SUSPENDED) != 0)
    return true;
  JNIEnv* env = environment();
  jthread calling = nullptr;
  if (env == nullptr || jvmti->GetCurrentThread(&calling) != JVMTI_ERROR_NONE) return false;
  bool same = env->IsSameObject(thread, calling);
  env->DeleteLocalRef(calling);
  return same;
}

jobject reference(VmObject object) {
  return reinterpret_cast<jobject>(object);
}

}  // namespace

void JvmtiView::setThread(jthread caller) {
  thread = caller;
}

VmObject JvmtiView::hold(jobject local) {
  if (local == nullptr) return 0;
  JNIEnv* env = environment();
  jobject global = env->NewGlobalRef(local);
  env->DeleteLocalRef(local);
  if (global == nullptr) return 0;
  held.push_back(global);
  return reinterpret_cast<VmObject>(global);
}

void JvmtiView::dropTable() {
  jvmtiEnv* jvmti = attachedJvmti();
  if (table != nullptr && jvmti != nullptr) {
    for (jint i = 0; i < tableLength; i++) {
      deallocate(jvmti, table[i].name);
      deallocate(jvmti, table[i].signature);
      deallocate(jvmti, table[i].generic_signature);
    }
    deallocate(jvmti, table);
  }
  table = nullptr;
  tableLength = -1;
}

// The frame's method and location, its local-variable table (none for a native method, one
// compiled without it, or a machine that grants no access to locals) and its slot count.
bool JvmtiView::selectFrame(int32_t frameDepth) {
  dropTable();
  haveFrame = false;
  method = nullptr;
  location = -1;
  maxLocals = -1;
  jvmtiEnv* jvmti = attachedJvmti();
  if (jvmti == nullptr || frameDepth < 0 || !stoppedOrCalling(jvmti, thread)) return false;
  depth = frameDepth;
  if (jvmti->GetFrameLocation(thread, depth, &method, &location) != JVMTI_ERROR_NONE) return false;
  haveFrame = true;
  if (method == nullptr) return true;
  jint length = 0;
  jvmtiLocalVariableEntry* entries = nullptr;
  if (canReadLocals() && jvmti->GetLocalVariableTable(method, &length, &entries) == JVMTI_ERROR_NONE) {
    table = entries;
    tableLength = length;
  }
  jint slots = 0;
  if (jvmti->GetMaxLocals(method, &slots) == JVMTI_ERROR_NONE) maxLocals = slots;
  return true;
}

bool JvmtiView::frameHasMethod() {
  return haveFrame && method != nullptr;
}

int64_t JvmtiView::framePc() {
  jlocation start = 0;
  jlocation end = 0;
  jvmtiEnv* jvmti = attachedJvmti();
  if (jvmti == nullptr || method == nullptr || jvmti->GetMethodLocation(method, &start, &end) != JVMTI_ERROR_NONE)
    return -1;
  return location - start;
}

int32_t JvmtiView::localTableLength() {
  return tableLength;
}

VmLocalEntry JvmtiView::localEntry(int32_t index) {
  VmLocalEntry entry{};
  if (table == nullptr || index < 0 || index >= tableLength) return entry;
  const jvmtiLocalVariableEntry& e = table[index];
  entry.start = static_cast<int32_t>(e.start_location);
  entry.length = e.length;
  entry.name = e.name;
  entry.signature = e.signature;
  entry.slot = e.slot;
  return entry;
}

int32_t JvmtiView::localSlotCount() {
  return maxLocals;
}

bool JvmtiView::readLocal(int32_t slot, int32_t kind, VmValue* value) {
  jvmtiEnv* jvmti = attachedJvmti();
  if (jvmti == nullptr || !haveFrame || !canReadLocals()) return false;
  switch (kind) {
    case TK_BOOLEAN:
    case TK_BYTE:
    case TK_CHAR:
    case TK_SHORT:
    case TK_INT: {
      jint v = 0;
      if (jvmti->GetLocalInt(thread, depth, slot, &v) != JVMTI_ERROR_NONE) return false;
      value->integer = v;
      return true;
    }
    case TK_LONG: {
      jlong v = 0;
      if (jvmti->GetLocalLong(thread, depth, slot, &v) != JVMTI_ERROR_NONE) return false;
      value->integer = v;
      return true;
    }
    case TK_FLOAT: {
      jfloat v = 0;
      if (jvmti->GetLocalFloat(thread, depth, slot, &v) != JVMTI_ERROR_NONE) return false;
      value->floating = v;
      return true;
    }
    case TK_DOUBLE: {
      jdouble v = 0;
      if (jvmti->GetLocalDouble(thread, depth, slot, &v) != JVMTI_ERROR_NONE) return false;
      value->floating = v;
      return true;
    }
    case TK_CLASS:
    case TK_ARRAY: {
      jobject v = nullptr;
      if (jvmti->GetLocalObject(thread, depth, slot, &v) != JVMTI_ERROR_NONE) return false;
      value->object = hold(v);
      return true;
    }
    default:
      return false;
  }
}

// Classes are kept once per evaluation with the fields they declare themselves, in the
// machine's order. An array class declares none.
VmClass JvmtiView::classOf(VmObject object) {
  JNIEnv* env = environment();
  jvmtiEnv* jvmti = attachedJvmti();
  if (object == 0 || env == nullptr || jvmti == nullptr) return 0;
  jclass local = env->GetObjectClass(reference(object));
  if (local == nullptr) return 0;
  for (size_t i = 0; i < classes.size(); i++) {
    if (env->IsSameObject(classes[i].cls, local)) {
      env->DeleteLocalRef(local);
      return i + 1;
    }
  }
  ClassFields entry{};
  entry.cls = static_cast<jclass>(env->NewGlobalRef(local));
  env->DeleteLocalRef(local);
  if (entry.cls == nullptr) return 0;
  jint count = 0;
  jfieldID* ids = nullptr;
  jboolean isArray = JNI_FALSE;
  jvmti->IsArrayClass(entry.cls, &isArray);
  if (isArray) {
    entry.listed = true;
  } else if (jvmti->GetClassFields(entry.cls, &count, &ids) == JVMTI_ERROR_NONE) {
    entry.listed = true;
    for (jint i = 0; i < count; i++) {
      char* name = nullptr;
      char* signature = nullptr;
      jint modifiers = 0;
      if (jvmti->GetFieldName(entry.cls, ids[i], &name, &signature, nullptr) != JVMTI_ERROR_NONE) continue;
      jvmti->GetFieldModifiers(entry.cls, ids[i], &modifiers);
      entry.ids.push_back(ids[i]);
      entry.names.emplace_back(name != nullptr ? name : "");
      entry.signatures.emplace_back(signature != nullptr ? signature : "");
      entry.statics.push_back((modifiers & 0x0008) != 0);
      deallocate(jvmti, name);
      deallocate(jvmti, signature);
    }
    deallocate(jvmti, ids);
  }
  classes.push_back(std::move(entry));
  return classes.size();
}

int32_t JvmtiView::fieldCount(VmClass cls) {
  if (cls == 0 || cls > classes.size() || !classes[cls - 1].listed) return -1;
  return static_cast<int32_t>(classes[cls - 1].ids.size());
}

VmField JvmtiView::field(VmClass cls, int32_t index) {
  const ClassFields& entry = classes.at(cls - 1);
  return VmField{entry.names.at(index).c_str(), entry.signatures.at(index).c_str(), entry.statics.at(index)};
}

VmFieldRead JvmtiView::readField(VmObject object, VmClass cls, int32_t index, int32_t kind, VmValue* value) {
  JNIEnv* env = environment();
  if (env == nullptr || cls == 0 || cls > classes.size()) return VM_FIELD_NO_PLACE;
  const ClassFields& entry = classes[cls - 1];
  if (index < 0 || static_cast<size_t>(index) >= entry.ids.size()) return VM_FIELD_NO_PLACE;
  jfieldID id = entry.ids[index];
  bool isStatic = entry.statics[index];
  jobject target = reference(object);
  if (!isStatic && target == nullptr) return VM_FIELD_NO_DATA;
  jclass owner = entry.cls;
  switch (kind) {
    case TK_BOOLEAN:
      value->integer = isStatic ? env->GetStaticBooleanField(owner, id) : env->GetBooleanField(target, id);
      break;
    case TK_BYTE:
      value->integer = isStatic ? env->GetStaticByteField(owner, id) : env->GetByteField(target, id);
      break;
    case TK_CHAR:
      value->integer = isStatic ? env->GetStaticCharField(owner, id) : env->GetCharField(target, id);
      break;
    case TK_SHORT:
      value->integer = isStatic ? env->GetStaticShortField(owner, id) : env->GetShortField(target, id);
      break;
    case TK_INT:
      value->integer = isStatic ? env->GetStaticIntField(owner, id) : env->GetIntField(target, id);
      break;
    case TK_LONG:
      value->integer = isStatic ? env->GetStaticLongField(owner, id) : env->GetLongField(target, id);
      break;
    case TK_FLOAT:
      value->floating = isStatic ? env->GetStaticFloatField(owner, id) : env->GetFloatField(target, id);
      break;
    case TK_DOUBLE:
      value->floating = isStatic ? env->GetStaticDoubleField(owner, id) : env->GetDoubleField(target, id);
      break;
    case TK_CLASS:
    case TK_ARRAY:
      value->object = hold(isStatic ? env->GetStaticObjectField(owner, id) : env->GetObjectField(target, id));
      break;
    default:
      return VM_FIELD_NO_PLACE;
  }
  return exceptionCleared(env) ? VM_FIELD_NO_PLACE : VM_FIELD_READ;
}

int32_t JvmtiView::arrayLength(VmObject array) {
  JNIEnv* env = environment();
  if (env == nullptr || array == 0) return 0;
  return env->GetArrayLength(static_cast<jarray>(reference(array)));
}

bool JvmtiView::readElement(VmObject array, int32_t index, int32_t kind, VmValue* value) {
  JNIEnv* env = environment();
  if (env == nullptr || array == 0) return false;
  jarray a = static_cast<jarray>(reference(array));
  switch (kind) {
    case TK_BOOLEAN: {
      jboolean v = 0;
      env->GetBooleanArrayRegion(static_cast<jbooleanArray>(a), index, 1, &v);
      value->integer = static_cast<int8_t>(v);
      break;
    }
    case TK_BYTE: {
      jbyte v = 0;
      env->GetByteArrayRegion(static_cast<jbyteArray>(a), index, 1, &v);
      value->integer = v;
      break;
    }
    case TK_CHAR: {
      jchar v = 0;
      env->GetCharArrayRegion(static_cast<jcharArray>(a), index, 1, &v);
      value->integer = v;
      break;
    }
    case TK_SHORT: {
      jshort v = 0;
      env->GetShortArrayRegion(static_cast<jshortArray>(a), index, 1, &v);
      value->integer = v;
      break;
    }
    case TK_INT: {
      jint v = 0;
      env->GetIntArrayRegion(static_cast<jintArray>(a), index, 1, &v);
      value->integer = v;
      break;
    }
    case TK_LONG: {
      jlong v = 0;
      env->GetLongArrayRegion(static_cast<jlongArray>(a), index, 1, &v);
      value->integer = v;
      break;
    }
    case TK_FLOAT: {
      jfloat v = 0;
      env->GetFloatArrayRegion(static_cast<jfloatArray>(a), index, 1, &v);
      value->floating = v;
      break;
    }
    case TK_DOUBLE: {
      jdouble v = 0;
      env->GetDoubleArrayRegion(static_cast<jdoubleArray>(a), index, 1, &v);
      value->floating = v;
      break;
    }
    case TK_CLASS:
    case TK_ARRAY: {
      jobject element = env->GetObjectArrayElement(static_cast<jobjectArray>(a), index);
      if (exceptionCleared(env)) return false;
      value->object = hold(element);
      return true;
    }
    default:
      return false;
  }
  return !exceptionCleared(env);
}

VmObject JvmtiView::newString(const uint16_t* units, int32_t length) {
  return reinterpret_cast<VmObject>(jniNewString(units, length));
}

void JvmtiView::releaseObjects() {
  dropTable();
  haveFrame = false;
  JNIEnv* env = environment();
  if (env != nullptr) {
    for (jobject global : held) env->DeleteGlobalRef(global);
    for (ClassFields& entry : classes) env->DeleteGlobalRef(entry.cls);
  }
  held.clear();
  classes.clear();
}
