// The archive file as minizip reads it: a Win32 file handle of our own behind minizip's table of
// file functions. An archive on a fixed disk is mapped whole, read-only: every read is then a copy
// from the mapping, and entries are inflated straight from it. Otherwise (a removable or network
// drive, where a mapped page that cannot be read would end the process instead of failing a
// read, or no room for the view) small reads are served from a read-ahead window and large ones
// go to the file directly.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>

#include <ioapi.h>

#include "runtime/Win32Handle.h"

namespace ziplib {

// True when `path` lies on a fixed disk, where a mapped page can be read and written as surely as
// a file: a page that cannot be read ends the process, where a read or write only fails.
bool IsOnFixedDisk(const char* path);

class ZipFileSource {
 public:
  // `mayMap` false reads even an archive on a fixed disk, as one elsewhere is read.
  explicit ZipFileSource(bool mayMap = true);
  ~ZipFileSource() { Close(); }
  ZipFileSource(const ZipFileSource&) = delete;
  ZipFileSource& operator=(const ZipFileSource&) = delete;

  // Fills minizip's tables with our functions; the stream they hand around is this object.
  void Fill(zlib_filefunc64_def* functions);

  // Opens an existing file for reading, sharing reads with others.
  bool Open(const char* fileName);
  void Close();
  bool IsOpen() const { return file_.Valid(); }

  uint32_t Read(void* buffer, uint32_t size);
  bool Seek(uint64_t offset, int origin);
  uint64_t Tell() const { return position_; }
  bool Failed() const { return failed_; }

  // Reads size bytes at offset without disturbing the position minizip relies on.
  bool ReadAt(uint64_t offset, void* buffer, uint32_t size);

  uint64_t Size() const { return size_; }
  // The bytes [offset, offset + size) in the mapping, or null when the archive is not mapped or
  // the range does not lie within the file.
  const uint8_t* View(uint64_t offset, uint64_t size) const;

 private:
  static constexpr uint32_t kWindowSize = 8192;

  void MapWhenLocal(const char* fileName);
  uint32_t ReadFromFile(uint64_t offset, void* buffer, uint32_t size);
  bool FillWindow(uint64_t offset);

  bool mayMap_;                             // an archive on a fixed disk is mapped
  rt::UniqueHandle file_;                   // the archive, opened for reading
  uint64_t size_ = 0;                       // file length at open
  uint64_t position_ = 0;                   // where minizip's next read starts
  uint64_t filePointer_ = 0;                // where the handle's own file pointer stands
  bool failed_ = false;                     // a read of the file failed
  std::unique_ptr<uint8_t[]> window_;       // read-ahead copy of the file around position_
  uint64_t windowStart_ = 0;                // file offset of window_[0]
  uint32_t windowLength_ = 0;               // valid bytes in window_
  rt::UniqueHandle mapping_;                // the file's read-only mapping, when it is mapped
  const uint8_t* view_ = nullptr;           // the whole file in memory, or null
};

}  // namespace ziplib
