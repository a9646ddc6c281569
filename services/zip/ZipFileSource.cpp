#include "services/zip/ZipFileSource.h"

#include <algorithm>
#include <cstring>

namespace ziplib {
namespace {

ZipFileSource* SourceOf(voidpf opaque) { return static_cast<ZipFileSource*>(opaque); }

voidpf ZCALLBACK OpenFile64(voidpf opaque, const void* fileName, int mode) {
  const int wanted = ZLIB_FILEFUNC_MODE_READ | ZLIB_FILEFUNC_MODE_EXISTING;
  if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ || (mode & wanted) != wanted) return nullptr;
  ZipFileSource* source = SourceOf(opaque);
  return source->Open(static_cast<const char*>(fileName)) ? source : nullptr;
}

uLong ZCALLBACK ReadFileData(voidpf, voidpf stream, void* buffer, uLong size) {
  return SourceOf(stream)->Read(buffer, static_cast<uint32_t>(size));
}

uLong ZCALLBACK WriteFileData(voidpf, voidpf, const void*, uLong) { return 0; }  // read-only source

ZPOS64_T ZCALLBACK TellFile64(voidpf, voidpf stream) { return SourceOf(stream)->Tell(); }

long ZCALLBACK SeekFile64(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  return SourceOf(stream)->Seek(offset, origin) ? 0 : -1;
}

int ZCALLBACK CloseFile(voidpf, voidpf stream) {
  SourceOf(stream)->Close();
  return 0;
}

int ZCALLBACK TestError(voidpf, voidpf stream) { return SourceOf(stream)->Failed() ? 1 : 0; }

}  // namespace

bool IsOnFixedDisk(const char* path) {
  char volume[MAX_PATH + 1] = {};
  if (!GetVolumePathNameA(path, volume, sizeof(volume))) return false;
  return GetDriveTypeA(volume) == DRIVE_FIXED;
}

ZipFileSource::ZipFileSource(bool mayMap) : mayMap_(mayMap), window_(new uint8_t[kWindowSize]) {}

void ZipFileSource::Fill(zlib_filefunc64_def* functions) {
  functions->zopen64_file = OpenFile64;
  functions->zread_file = ReadFileData;
  functions->zwrite_file = WriteFileData;
  functions->ztell64_file = TellFile64;
  functions->zseek64_file = SeekFile64;
  functions->zclose_file = CloseFile;
  functions->zerror_file = TestError;
  functions->opaque = this;
}

bool ZipFileSource::Open(const char* fileName) {
  if (IsOpen() || !fileName) return false;
  rt::UniqueHandle file(CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.Valid()) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Get(), &size)) return false;
  file_ = std::move(file);
  size_ = static_cast<uint64_t>(size.QuadPart);
  position_ = 0;
  filePointer_ = 0;
  failed_ = false;
  windowLength_ = 0;
  MapWhenLocal(fileName);
  return true;
}

// A 32-bit process has room for one view of a few hundred megabytes; larger archives, and any
// that the system cannot map, are read.
void ZipFileSource::MapWhenLocal(const char* fileName) {
  constexpr uint64_t kLargestView = 1u << 30;
  if (!mayMap_ || size_ == 0 || size_ > kLargestView || !IsOnFixedDisk(fileName)) return;
  mapping_.Reset(CreateFileMappingA(file_.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping_.Valid()) return;
  view_ = static_cast<const uint8_t*>(MapViewOfFile(mapping_.Get(), FILE_MAP_READ, 0, 0, 0));
  if (!view_) mapping_.Close();
}

void ZipFileSource::Close() {
  if (view_) UnmapViewOfFile(view_);
  view_ = nullptr;
  mapping_.Close();
  file_.Close();
  windowLength_ = 0;
}

const uint8_t* ZipFileSource::View(uint64_t offset, uint64_t size) const {
  if (!view_ || offset > size_ || size > size_ - offset) return nullptr;
  return view_ + offset;
}

bool ZipFileSource::Seek(uint64_t offset, int origin) {
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: position_ = offset; return true;
    case ZLIB_FILEFUNC_SEEK_CUR: position_ += offset; return true;
    case ZLIB_FILEFUNC_SEEK_END: position_ = size_ + offset; return true;
    default: return false;
  }
}

uint32_t ZipFileSource::Read(void* buffer, uint32_t size) {
  if (!IsOpen() || size == 0) return 0;
  if (view_) {
    if (position_ >= size_) return 0;
    const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(size, size_ - position_));
    std::memcpy(buffer, view_ + position_, count);
    position_ += count;
    return count;
  }
  // Large reads (minizip's data buffer) bypass the window: one system call each.
  if (size >= kWindowSize) {
    const uint32_t got = ReadFromFile(position_, buffer, size);
    position_ += got;
    return got;
  }
  const bool inWindow = position_ >= windowStart_ && position_ + size <= windowStart_ + windowLength_;
  if (!inWindow && !FillWindow(position_)) return 0;
  const uint32_t available = static_cast<uint32_t>(windowStart_ + windowLength_ - position_);
  const uint32_t count = std::min(size, available);
  std::memcpy(buffer, window_.get() + (position_ - windowStart_), count);
  position_ += count;
  return count;
}

bool ZipFileSource::ReadAt(uint64_t offset, void* buffer, uint32_t size) {
  const uint64_t saved = position_;
  position_ = offset;
  const bool complete = Read(buffer, size) == size;
  position_ = saved;
  return complete;
}

bool ZipFileSource::FillWindow(uint64_t offset) {
  windowStart_ = offset;
  windowLength_ = ReadFromFile(offset, window_.get(), kWindowSize);
  return windowLength_ > 0;
}

// Reads at an offset, moving the handle's file pointer only when it is elsewhere: reads in a row
// need no seek. (A read through an OVERLAPPED offset would cost Wine a server call per read.)
uint32_t ZipFileSource::ReadFromFile(uint64_t offset, void* buffer, uint32_t size) {
  if (offset >= size_) return 0;
  if (offset != filePointer_) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file_.Get(), to, nullptr, FILE_BEGIN)) {
      failed_ = true;
      return 0;
    }
    filePointer_ = offset;
  }
  DWORD got = 0;
  if (!ReadFile(file_.Get(), buffer, size, &got, nullptr)) {
    failed_ = true;
    filePointer_ = ~0ull;  // unknown after a failed read
    return 0;
  }
  filePointer_ += got;
  return got;
}

}  // namespace ziplib
