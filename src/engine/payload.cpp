#include "engine/payload.h"

#include <cstring>
#include <new>

bool PayloadCopy::Load(WORD resourceId) {
  Release();
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(resourceId), "SETUP");
  if (resource == nullptr) return false;
  HGLOBAL loaded = LoadResource(module, resource);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return false;
  const DWORD size = SizeofResource(module, resource);
  m_bytes.reset(new (std::nothrow) char[size]);
  if (!m_bytes) return false;
  std::memcpy(m_bytes.get(), bytes, size);
  m_size = size;
  return true;
}

bool PayloadCopy::WriteTo(const char* path) {
  if (!m_bytes) return false;
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool written = false;
  if (file != INVALID_HANDLE_VALUE) {
    DWORD count = 0;
    written = WriteFile(file, m_bytes.get(), m_size, &count, nullptr) && count == m_size;
    written = CloseHandle(file) && written;
  }
  Release();
  return written;
}

void PayloadCopy::Release() {
  m_bytes.reset();
  m_size = 0;
}
