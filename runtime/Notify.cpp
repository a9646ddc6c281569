// The runtime notification entry: services for the libraries, by code. Window-related codes go
// to the window engine; unknown codes answer 0.
#include <windows.h>
#include "image/ProgramImage.h"
#include "runtime/Runtime.h"
#include "runtime/RuntimeState.h"

namespace rt {
namespace {

template <typename T>
T* Ptr(int32_t word) { return reinterpret_cast<T*>(static_cast<uintptr_t>(word)); }
int32_t Word(const void* p) { return static_cast<int32_t>(reinterpret_cast<uintptr_t>(p)); }

void LoadProgramIcons(HICON* out) {
  RuntimeState& state = State();
  if (!state.icons[0]) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    state.icons[0] = static_cast<HICON>(LoadImageA(module, "DEFAULT_ICON", IMAGE_ICON, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    state.icons[1] = static_cast<HICON>(LoadImageA(module, "DEFAULT_ICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  }
  out[0] = state.icons[0];
  out[1] = state.icons[1];
}

void CopyPath(int32_t selector, char* buffer) {
  const RuntimeState& state = State();
  const std::string* path = nullptr;
  if (selector == 1 || selector == 2001) path = &state.folderWithSlash;
  if (selector == 2002) path = &state.fileName;
  std::strcpy(buffer, path ? path->c_str() : "");
}

void FreeArray(uint32_t typeCode, void* block) {
  if (!block) return;
  uint32_t element = ElementType(typeCode);
  if (element == kTypeText || element == kTypeBytes) {
    uint32_t count = ArrayElementCount(block);
    auto elements = reinterpret_cast<void* const*>(ArrayElements(block));
    for (uint32_t i = 0; i < count; ++i) FreeBlock(elements[i]);
  }
  FreeBlock(block);
}

int32_t TypeClassification(uint32_t typeCode) {
  const image::DataTypeRecord* type = image::LookupType(typeCode);
  if (!type) return 0;
  if (type->state & 0x4) return 2;
  return (type->state & 0x40) ? 1 : 0;
}

int32_t TypeDefault(uint32_t typeCode, uint32_t* record) {
  if (typeCode == 0x10030) {
    record[0] = 0, record[1] = 0, record[2] = 192, record[3] = 0x46000000;
    return 1;
  }
  const image::LibraryRecord* library = nullptr;
  if (!image::LookupType(image::Header(), typeCode, &library) || !library->notify) return 0;
  return library->notify(8, static_cast<int32_t>((typeCode & 0xffff) - 1), Word(record));
}

void RegisterIdle(const IdleRecord* record) {
  HWND window = static_cast<HWND>(record->window);
  if (!record->routine || !IsWindow(window)) return;
  auto& registry = State().idleRegistry;
  for (const IdleEntry& entry : registry)
    if (entry.window == window) return;
  registry.push_back({window, record->routine, record->parameter});
}

void UnregisterIdle(HWND window) {
  auto& registry = State().idleRegistry;
  for (size_t i = registry.size(); i-- > 0;)
    if (registry[i].window == window) registry.erase(registry.begin() + static_cast<std::ptrdiff_t>(i));
}

}  // namespace

int32_t ValueToInteger(const ArgTriple& value) {
  switch (value.type) {
    case kTypeByte: return static_cast<int32_t>(value.lo & 0xff);
    case kTypeShort: return static_cast<int32_t>(static_cast<int16_t>(value.lo & 0xffff));
    case kTypeInt: return static_cast<int32_t>(value.lo);
    case kTypeLong: return static_cast<int32_t>(value.lo);
    case kTypeFloat: return static_cast<int32_t>(value.Float());
    case kTypeDouble: return static_cast<int32_t>(value.Double());
    default: RuntimeError("欲转换数据类型不是数值");
  }
}

int32_t RuntimeNotify(int32_t code, int32_t first, int32_t second) {
  switch (code) {
    case kNotifyProgramIcons: LoadProgramIcons(Ptr<HICON>(first)); return 0;
    case kNotifyTypeLookup: return Word(image::LookupType(static_cast<uint32_t>(first)));
    case kNotifyPresence: return 1;
    case kNotifyInterfaceLevel: return kInterfaceLevel;
    case kNotifyPathToBuffer: CopyPath(first, Ptr<char>(second)); return 0;
    case kNotifyRegisterIdle: RegisterIdle(Ptr<IdleRecord>(first)); return 0;
    case kNotifyUnregisterIdle: UnregisterIdle(Ptr<HWND__>(first)); return 0;
    case kNotifyValueToInt: return ValueToInteger(*Ptr<ArgTriple>(first));
    case kNotifyNothing: return 0;
    case kNotifyProgramFolder: return Word(ProgramFolder());
    case kNotifyProgramFileName: return Word(ProgramFileName());
    case kNotifySuppressEvents: ProcessPendingMessages(); SuppressEvents(); return 0;
    case kNotifyResumeEvents: ProcessPendingMessages(); ResumeEvents(); return 0;
    case kNotifyObjectKind: return RegisteredObjectKind(Ptr<RegisteredObject>(first));
    case kNotifyRegisterObject: RegisterObject(Ptr<RegisteredObject>(first), static_cast<uint8_t>(second)); return 0;
    case kNotifyUnregisterObject: return UnregisterObject(Ptr<RegisteredObject>(first)) ? 1 : 0;
    case kNotifyCloseObjects: CloseRegisteredObjects(); return 0;
    case kNotifyStopSound: return 0;
    case kNotifyProcessMessages: ProcessPendingMessages(); return 0;
    case kNotifyAddIconRecord: AddIconRecord(Ptr<IconRecord>(first)); return 0;
    case kNotifyFreeIconRecord: FreeIconRecord(Ptr<IconRecord>(first)); return 0;
    case kNotifyIconRecordTest: return IsIconRecord(Ptr<IconRecord>(first)) ? 1 : 0;
    case kNotifyFreeArray: FreeArray(static_cast<uint32_t>(first), Ptr<void>(second)); return 0;
    case kNotifyAllocate: return Word(second ? AllocateQuietly(static_cast<uint32_t>(first)) : AllocateBlock(static_cast<uint32_t>(first)));
    case kNotifyFree: FreeBlock(Ptr<void>(first)); return 0;
    case kNotifyReallocate: return Word(ResizeBlock(Ptr<void>(first), static_cast<uint32_t>(second)));
    case kNotifyRuntimeError: RuntimeError(Ptr<const char>(first));
    case kNotifyEndProgram: EndProgram(first);
    case kNotifyTypeClassification: return TypeClassification(static_cast<uint32_t>(first));
    case kNotifyProgramKind: return static_cast<int32_t>(ProgramKind());
    case kNotifyTypeDefault: return TypeDefault(static_cast<uint32_t>(first), Ptr<uint32_t>(second));
    default: break;
  }
  const WindowEngine* engine = Engine();
  if (!engine || !engine->notify) return 0;
  bool handled = false;
  int32_t result = engine->notify(code, first, second, &handled);
  return handled ? result : 0;
}

}  // namespace rt
