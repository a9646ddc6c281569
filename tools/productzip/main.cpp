// productzip: writes the product archive that the installer carries as its payload.
//
//   productzip --out FILE [--size full|small] [--seed N] [--main-program FILE] [--uninstaller FILE]
//
// The full size is the default product (213 entries, 245,711,509 bytes unpacked); the small size
// has the same entries with tiny files, for quick tests. The same options always give the same
// bytes. The archive is written beside FILE and renamed into place once complete.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "tools/productzip/ProductLayout.h"
#include "tools/productzip/ZipWriter.h"

namespace productzip {
namespace {

constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;

struct Arguments {
  ProductOptions product;   // what goes into the archive
  std::string out;          // the archive to write
};

[[noreturn]] void Usage(const std::string& problem) {
  std::fprintf(stderr, "productzip: %s\n", problem.c_str());
  std::fprintf(stderr,
               "usage: productzip --out FILE [--size full|small] [--seed N] [--main-program FILE] [--uninstaller FILE]\n");
  std::exit(2);
}

Arguments ParseArguments(int argc, char** argv) {
  Arguments arguments;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") Usage("writes the product archive");
    if (i + 1 >= argc) Usage("option " + option + " needs a value");
    const std::string value = argv[++i];
    if (option == "--out") {
      arguments.out = value;
    } else if (option == "--size") {
      if (value != "full" && value != "small") Usage("--size must be full or small, not " + value);
      arguments.product.size = value == "full" ? ProductSize::kFull : ProductSize::kSmall;
    } else if (option == "--seed") {
      char* end = nullptr;
      arguments.product.seed = std::strtoull(value.c_str(), &end, 0);
      if (value.empty() || *end != '\0') Usage("--seed needs a number, not " + value);
    } else if (option == "--main-program") {
      arguments.product.mainProgram = value;
    } else if (option == "--uninstaller") {
      arguments.product.uninstaller = value;
    } else {
      Usage("unknown option " + option);
    }
  }
  if (arguments.out.empty()) Usage("--out is required");
  return arguments;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A real program padded with program-like trailing data to the size the product reserves.
std::string ProgramFromFile(const ProductEntry& entry, Random& random) {
  std::string content = ReadWholeFile(entry.contentFile);
  if (entry.size == 0) return content;  // small product: the program as it is
  if (content.size() > entry.size) {
    throw std::runtime_error(entry.contentFile + " is " + std::to_string(content.size()) +
                             " bytes, more than the " + std::to_string(entry.size) + " the product reserves for it");
  }
  PadLikeProgram(content, entry.size, random);
  return content;
}

std::string EntryContent(const ProductEntry& entry, Random& random) {
  if (entry.folder) return std::string();
  if (!entry.contentFile.empty()) return ProgramFromFile(entry, random);
  if (entry.kind == ContentKind::kText) return entry.text;
  return GenerateContent(entry.kind, entry.size, random);
}

ZipWriterEntry HeaderFields(const ProductEntry& entry, uint64_t creationOffsetSeconds) {
  ZipWriterEntry fields = {};
  fields.name = entry.name;
  fields.unicodeName = entry.unicodeName;
  fields.stored = entry.stored;
  fields.versionMadeBy = entry.versionMadeBy;
  fields.versionNeeded = entry.stored && !entry.folder ? 10 : 20;
  fields.externalAttributes = entry.externalAttributes;
  const DosTime& t = entry.time;
  fields.dosTime = static_cast<uint16_t>(t.hour << 11 | t.minute << 5 | t.second / 2);
  fields.dosDate = static_cast<uint16_t>((t.year - 1980) << 9 | t.month << 5 | t.day);
  const uint64_t write = static_cast<uint64_t>(UnixSecondsUtc(t)) * 10000000ull + kUnixEpochAsFileTime;
  fields.writeTime = write;
  fields.accessTime = write;
  fields.creationTime = write - creationOffsetSeconds * 10000000ull;
  return fields;
}

// The archive while it is written: removed unless it was completed and renamed into place.
class PartialArchive {
 public:
  explicit PartialArchive(const std::string& target)
      : target_(target), path_(target + ".partial-" + std::to_string(getpid())), file_(std::fopen(path_.c_str(), "wb")) {
    if (!file_) throw std::runtime_error("cannot create " + path_);
  }
  ~PartialArchive() {
    if (file_) std::fclose(file_);
    if (!renamed_) std::remove(path_.c_str());
  }
  FILE* File() const { return file_; }
  void Complete() {
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed || std::rename(path_.c_str(), target_.c_str()) != 0) throw std::runtime_error("cannot write " + target_);
    renamed_ = true;
  }

 private:
  std::string target_;     // the archive's final name
  std::string path_;       // where it is written meanwhile
  FILE* file_;             // open while writing
  bool renamed_ = false;   // completed and in place
};

// Writes every entry, then the directory; the file appears under its name only when complete.
void WriteArchive(const Arguments& arguments) {
  Random random(arguments.product.seed);
  const std::vector<ProductEntry> entries = BuildProductLayout(arguments.product, random);
  PartialArchive archive(arguments.out);
  ZipWriter writer(archive.File());
  uint64_t unpacked = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    Random content = random.Fork(1000 + i);
    const std::string data = EntryContent(entries[i], content);
    unpacked += data.size();
    if (!writer.Add(HeaderFields(entries[i], content.Between(0, 30 * 86400)), data)) {
      throw std::runtime_error("cannot write " + arguments.out);
    }
  }
  if (!writer.Finish()) throw std::runtime_error("cannot write " + arguments.out);
  archive.Complete();
  std::printf("productzip: %zu entries, %llu bytes unpacked, %llu packed -> %s\n", entries.size(),
              static_cast<unsigned long long>(unpacked), static_cast<unsigned long long>(writer.CompressedTotal()),
              arguments.out.c_str());
}

}  // namespace
}  // namespace productzip

int main(int argc, char** argv) {
  const productzip::Arguments arguments = productzip::ParseArguments(argc, argv);
  try {
    productzip::WriteArchive(arguments);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "productzip: %s\n", error.what());
    return 1;
  }
  return 0;
}
