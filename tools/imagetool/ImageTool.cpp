// imagetool --description FILE --out FOLDER [--payload ZIP] [--depfile FILE]
// Builds the program image of one executable from its description. Nothing is written unless
// the whole image could be built; files whose contents did not change are left untouched.
#include <sys/stat.h>
#include <cstdio>
#include <fstream>
#include <sstream>
#include "ImageWriter.h"
#include "PayloadInfo.h"
#include "ProgramDescription.h"
#include "tools/windowdesc/WindowDescription.h"
#include "window/template/TemplateRegion.h"

namespace imagetool {
namespace {

struct Options {
  std::string description, out, payload, depfile;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string key = argv[i];
    if (key == "--description") options.description = argv[i + 1];
    else if (key == "--out") options.out = argv[i + 1];
    else if (key == "--payload") options.payload = argv[i + 1];
    else if (key == "--depfile") options.depfile = argv[i + 1];
    else return false;
  }
  return argc % 2 == 1 && !options.description.empty() && !options.out.empty();
}

bool SameContents(const std::string& path, const std::string& contents) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream existing;
  existing << in.rdbuf();
  return existing.str() == contents;
}

bool WriteIfChanged(const std::string& path, const std::string& contents) {
  if (SameContents(path, contents)) return true;
  std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out.write(contents.data(), static_cast<std::streamsize>(contents.size()))) return false;
  }
  return std::rename(temporary.c_str(), path.c_str()) == 0;
}

bool BuildTemplates(const ProgramDescription& program, std::string& region, std::vector<std::string>& files,
                    std::string& error) {
  auto resolve = [&](const std::string& name, int32_t& offset) {
    for (size_t i = 0; i < program.routines.size(); ++i) {
      if (program.routines[i].name != name) continue;
      offset = static_cast<int32_t>(i) * kStubSize;
      return true;
    }
    return false;
  };
  std::vector<tmpl::WindowTemplate> windows;
  for (const std::string& file : program.windowFiles) {
    tmpl::WindowTemplate window;
    if (!tmpl::ParseWindowDescription(file, resolve, window, error, &files)) return false;
    windows.push_back(std::move(window));
  }
  if (!windows.empty()) region = tmpl::WriteRegion(windows);
  return true;
}

int Run(const Options& options) {
  ProgramDescription program;
  std::string error;
  if (!ReadProgramDescription(options.description, program, error)) {
    std::fprintf(stderr, "imagetool: %s\n", error.c_str());
    return 1;
  }
  std::string region;
  std::vector<std::string> files = program.filesRead;
  if (!BuildTemplates(program, region, files, error)) {
    std::fprintf(stderr, "imagetool: %s\n", error.c_str());
    return 1;
  }
  PayloadInfo payload;
  if (!options.payload.empty()) {
    if (!ReadPayloadInfo(options.payload, payload, error)) {
      std::fprintf(stderr, "imagetool: %s\n", error.c_str());
      return 1;
    }
    files.push_back(options.payload);
  }
  GeneratedImage image;
  if (!WriteImage(program, options.payload, payload, region, image, error)) {
    std::fprintf(stderr, "imagetool: %s: %s\n", options.description.c_str(), error.c_str());
    return 1;
  }
  mkdir(options.out.c_str(), 0755);
  for (const auto& [name, contents] : image.files) {
    if (!WriteIfChanged(options.out + "/" + name, contents)) {
      std::fprintf(stderr, "imagetool: cannot write %s/%s\n", options.out.c_str(), name.c_str());
      return 1;
    }
  }
  if (!options.depfile.empty()) {
    std::string deps = options.out + "/program_image.cpp:";
    for (const auto& file : files) deps += " " + file;
    WriteIfChanged(options.depfile, deps + "\n");
  }
  return 0;
}

}  // namespace
}  // namespace imagetool

int main(int argc, char** argv) {
  imagetool::Options options;
  if (!imagetool::ParseOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: imagetool --description FILE --out FOLDER [--payload ZIP] [--depfile FILE]\n");
    return 2;
  }
  return imagetool::Run(options);
}
