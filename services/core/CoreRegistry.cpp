// Registry commands: ReadRegistryText and WriteRegistryValue. A value is named by a root code
// and one full path whose part after the last single-byte "\" is the value name.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/Win32Handle.h"
#include "services/core/CommandArgs.h"
#include "services/core/CoreHost.h"
#include "services/core/CoreLib.h"
#include "services/core/GbkText.h"

namespace corelib {

namespace {

struct RootEntry {
  int32_t code;
  HKEY root;
};
const RootEntry kRoots[] = {
    {1, HKEY_CLASSES_ROOT},
    {2, HKEY_CURRENT_CONFIG},
    {3, HKEY_CURRENT_USER},
    {4, HKEY_LOCAL_MACHINE},
    {5, HKEY_USERS},
};

HKEY RootOf(int32_t code) {
  for (const RootEntry& entry : kRoots) {
    if (entry.code == code) return entry.root;
  }
  return HKEY_CURRENT_USER;
}

struct RegistryPath {
  std::string key;    // empty: the root itself
  std::string value;  // empty: the key's default value
};

// The "\" that separates key and value name must be a character of its own, never the second
// byte of a GBK character.
RegistryPath SplitPath(const char* fullPath) {
  const size_t length = std::strlen(fullPath);
  const size_t separator = gbk::FindLastAscii(fullPath, length, '\\');
  if (separator == gbk::npos) return {"", fullPath};
  return {std::string(fullPath, separator), std::string(fullPath + separator + 1)};
}

int32_t IntOf(const rt::ArgTriple& arg) {
  if (arg.type == rt::kTypeInt) return arg.Int();
  return host::ValueToInt(arg);
}

// The text of a string value; the stored data need not end in a zero.
bool QueryText(HKEY key, const std::string& name, DWORD& type, std::string& data) {
  DWORD size = 0;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  std::vector<char> buffer(size + 1, '\0');
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  buffer[size < buffer.size() ? size : buffer.size() - 1] = '\0';
  data = buffer.data();
  return true;
}

std::string Expand(const std::string& text) {
  DWORD needed = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
  if (needed == 0) return text;
  std::vector<char> buffer(needed + 1, '\0');
  DWORD written = ExpandEnvironmentStringsA(text.c_str(), buffer.data(), needed);
  if (written == 0 || written > needed) return text;
  return buffer.data();
}

// Reads a REG_SZ or REG_EXPAND_SZ value (expanded); false when it is missing or of another type.
bool ReadText(HKEY root, const RegistryPath& path, std::string& text) {
  rt::RegKey key;
  if (RegOpenKeyExA(root, path.key.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return false;
  DWORD type = 0;
  if (!QueryText(key.Get(), path.value, type, text)) return false;
  key.Close();
  if (type == REG_EXPAND_SZ) text = Expand(text);
  return true;
}

bool OpenForWriting(HKEY root, const std::string& keyPath, rt::RegKey& key) {
  if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_WRITE, key.Receive()) == ERROR_SUCCESS) return true;
  // RegCreateKeyA creates every missing key on the way down.
  return RegCreateKeyA(root, keyPath.c_str(), key.Receive()) == ERROR_SUCCESS;
}

bool SetValue(HKEY key, const std::string& name, DWORD type, const void* data, DWORD size) {
  return RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

// Writes the value by its type: numbers as REG_DWORD, texts as REG_SZ, byte arrays as
// REG_BINARY. Any other type writes nothing.
bool WriteValue(HKEY key, const std::string& name, const rt::ArgTriple& value) {
  if (rt::IsNumericType(value.type)) {
    const DWORD number = static_cast<DWORD>(IntOf(value));
    return SetValue(key, name, REG_DWORD, &number, sizeof number);
  }
  if (value.type == rt::kTypeText) {
    const char* text = cmdargs::Text(value);
    return SetValue(key, name, REG_SZ, text, static_cast<DWORD>(std::strlen(text) + 1));
  }
  if (value.type == rt::kTypeBytes) {
    const rt::ByteArrayView bytes = rt::ViewBytes(value.Pointer());
    return SetValue(key, name, REG_BINARY, bytes.data, bytes.size);
  }
  return false;
}

}  // namespace

void ReadRegistryText(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  const HKEY root = RootOf(cmdargs::At(args, argCount, 0).Int());
  const RegistryPath path = SplitPath(cmdargs::Text(cmdargs::At(args, argCount, 1)));
  std::string text;
  if (!ReadText(root, path, text)) text = cmdargs::Text(cmdargs::At(args, argCount, 2));
  rt::SetText(result, host::NewText(text));
}

void WriteRegistryValue(rt::ArgTriple* result, int32_t argCount, rt::ArgTriple* args) {
  rt::SetBool(result, false);
  const HKEY root = RootOf(cmdargs::At(args, argCount, 0).Int());
  const RegistryPath path = SplitPath(cmdargs::Text(cmdargs::At(args, argCount, 1)));
  rt::RegKey key;
  if (!OpenForWriting(root, path.key, key)) return;
  rt::SetBool(result, WriteValue(key.Get(), path.value, cmdargs::At(args, argCount, 2)));
}

}  // namespace corelib
