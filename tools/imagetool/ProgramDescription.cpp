#include "ProgramDescription.h"
#include <fstream>
#include <sstream>
#include "tools/windowdesc/WindowDescription.h"

namespace imagetool {
namespace {

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string Resolve(const std::string& base, const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  return FolderOf(base) + "/" + path;
}

bool ReadFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  out = buffer.str();
  return true;
}

// Splits a line into words; "quoted words" (or 'quoted' ones, which may hold a double quote)
// keep their blanks and every byte as it stands, by the rule of the window description. Quoted
// words are marked by a leading '\x01' so that an empty quoted word stays a word.
std::vector<std::string> SplitWords(const std::string& line, bool& ok) {
  std::vector<std::string> words;
  ok = true;
  size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') { ++i; continue; }
    if (line[i] == '#') break;
    if (line[i] == '"' || line[i] == '\'') {
      std::string text;
      if (!tmpl::ReadQuotedText(line, i, text)) { ok = false; return words; }
      words.push_back("\x01" + text);
      continue;
    }
    size_t end = line.find_first_of(" \t\r", i);
    if (end == std::string::npos) end = line.size();
    words.push_back(line.substr(i, end - i));
    i = end;
  }
  return words;
}

std::string Unquote(const std::string& word) { return !word.empty() && word[0] == '\x01' ? word.substr(1) : word; }

class Reader {
 public:
  Reader(ProgramDescription& out, std::string& error) : out_(out), error_(error) {}

  bool ReadFileAt(const std::string& path) {
    std::string text;
    if (!ReadFile(path, text)) return Fail(path, 0, "cannot read the file");
    out_.filesRead.push_back(path);
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
      ++number;
      bool ok = true;
      std::vector<std::string> words = SplitWords(line, ok);
      if (!ok) return Fail(path, number, "a quoted word is not closed");
      if (words.empty()) continue;
      if (!ReadLine(path, number, words)) return false;
    }
    if (library_) return Fail(path, number, "library " + library_->name + " has no \"end\"");
    return true;
  }

 private:
  bool Fail(const std::string& path, int line, const std::string& what) {
    error_ = path + ":" + std::to_string(line) + ": " + what;
    return false;
  }

  static bool Number(const std::string& word, uint32_t& value) {
    try {
      size_t used = 0;
      long long parsed = std::stoll(Unquote(word), &used, 0);
      if (used != Unquote(word).size() || parsed < -2147483648LL || parsed > 0xffffffffLL) return false;
      value = static_cast<uint32_t>(parsed);
      return true;
    } catch (...) {
      return false;
    }
  }

  bool Gbk(const std::string& path, int line, const std::string& utf8, std::string& gbk) {
    if (tmpl::Utf8ToGbk(utf8, gbk)) return true;
    return Fail(path, line, "\"" + utf8 + "\" has a character without a GBK form");
  }

  bool ReadLine(const std::string& path, int line, const std::vector<std::string>& w) {
    const std::string& key = w[0];
    if (library_) return ReadLibraryLine(path, line, w);
    if (key == "program") return ReadProgram(path, line, w);
    if (key == "start" && w.size() == 2) return out_.startRoutine = w[1], true;
    if (key == "window-engine" && w.size() == 2) return out_.windowEngine = w[1], true;
    if (key == "routine" && w.size() == 3) {
      for (const auto& r : out_.routines)
        if (r.name == w[1]) return Fail(path, line, "routine " + w[1] + " is declared twice");
      out_.routines.push_back({w[1], w[2]});
      return true;
    }
    if (key == "dll" && w.size() == 3) {
      out_.dllFunctions.emplace_back(Unquote(w[1]), Unquote(w[2]));
      return true;
    }
    if (key == "include" && w.size() == 2) return ReadFileAt(Resolve(path, Unquote(w[1])));
    if (key == "library" && w.size() == 2) {
      out_.libraries.push_back({});
      library_ = &out_.libraries.back();
      library_->name = w[1];
      return true;
    }
    if (key == "pool") return ReadPool(path, line, w);
    if (key == "window" && w.size() == 2) return out_.windowFiles.push_back(Resolve(path, Unquote(w[1]))), true;
    return Fail(path, line, "cannot read \"" + key + "\" with " + std::to_string(w.size() - 1) + " words");
  }

  bool ReadProgram(const std::string& path, int line, const std::vector<std::string>& w) {
    for (size_t i = 1; i + 1 < w.size(); i += 2) {
      uint32_t value = 0;
      if (!Number(w[i + 1], value)) return Fail(path, line, "\"" + w[i + 1] + "\" is not a number");
      if (w[i] == "kind") out_.kind = value;
      else if (w[i] == "reserved") out_.reserved = value;
      else if (w[i] == "highest-serial") out_.highestSerial = value;
      else return Fail(path, line, "unknown program field \"" + w[i] + "\"");
    }
    return true;
  }

  bool ReadPool(const std::string& path, int line, const std::vector<std::string>& w) {
    if (w.size() < 4) return Fail(path, line, "a pool item needs a kind, a name and a value");
    for (const auto& item : out_.pool)
      if (item.name == w[2]) return Fail(path, line, "pool item " + w[2] + " is declared twice");
    PoolItem item;
    item.name = w[2];
    if (w[1] == "text" && w.size() == 4) {
      if (!Gbk(path, line, Unquote(w[3]), item.bytes)) return false;
    } else if (w[1] == "bytes" && w[3] == "empty" && w.size() == 4) {
      item.isText = false;
    } else if (w[1] == "bytes" && w[3] == "payload" && w.size() == 4) {
      item.isText = false;
      item.isPayload = true;
    } else if (w[1] == "bytes" && w[3] == "file" && w.size() == 5) {
      item.isText = false;
      std::string file = Resolve(path, Unquote(w[4]));
      if (!ReadFile(file, item.bytes)) return Fail(path, line, "cannot read " + file + " for pool item " + item.name);
      out_.filesRead.push_back(file);
    } else {
      return Fail(path, line, "cannot read pool item " + item.name);
    }
    out_.pool.push_back(std::move(item));
    return true;
  }

  bool ReadType(const std::string& path, int line, const std::vector<std::string>& w) {
    if (w.size() < 5) return Fail(path, line, "a type needs its two names and a state");
    TypeDescription type;
    if (!Gbk(path, line, Unquote(w[1]), type.name) || !Gbk(path, line, Unquote(w[2]), type.englishName)) return false;
    for (size_t i = 3; i + 1 < w.size(); i += 2) {
      if (w[i] == "state") {
        if (!Number(w[i + 1], type.state)) return Fail(path, line, "bad type state \"" + w[i + 1] + "\"");
      } else if (w[i] == "interface") {
        type.unitInterface = w[i + 1];
      } else if (w[i] == "properties") {
        std::istringstream kinds(w[i + 1]);
        std::string kind;
        while (std::getline(kinds, kind, ',')) {
          uint32_t value = 0;
          if (!Number(kind, value) || value < 1000 || value > 0xffff)
            return Fail(path, line, "bad property kind \"" + kind + "\" of type " + type.englishName);
          type.propertyKinds.push_back(static_cast<uint16_t>(value));
        }
      } else {
        return Fail(path, line, "unknown type field \"" + w[i] + "\"");
      }
    }
    library_->types.push_back(std::move(type));
    return true;
  }

  bool ReadLibraryLine(const std::string& path, int line, const std::vector<std::string>& w) {
    const std::string& key = w[0];
    auto number = [&](size_t i, uint32_t& value) {
      return i < w.size() && Number(w[i], value);
    };
    if (key == "end" && w.size() == 1) return library_ = nullptr, true;
    if (key == "identity" && w.size() == 2) return Gbk(path, line, Unquote(w[1]), library_->identity);
    if (key == "version" && number(1, library_->major) && number(2, library_->minor) && number(3, library_->build)) return true;
    if (key == "system" && number(1, library_->systemMajor) && number(2, library_->systemMinor)) return true;
    if (key == "core" && number(1, library_->coreMajor) && number(2, library_->coreMinor)) return true;
    if (key == "state" && number(1, library_->state)) return true;
    if (key == "notify" && w.size() == 2) return library_->notify = w[1], true;
    if (key == "command" && w.size() == 2) return library_->commands.push_back(w[1]), true;
    if (key == "type") return ReadType(path, line, w);
    if (key == "empty-types") {
      uint32_t count = 0;
      if (!number(1, count) || count > 1000) return Fail(path, line, "bad count of empty types");
      for (uint32_t i = 0; i < count; ++i) library_->types.push_back(TypeDescription{"", "", true});
      return true;
    }
    return Fail(path, line, "cannot read \"" + key + "\" in library " + library_->name);
  }

  ProgramDescription& out_;
  std::string& error_;
  LibraryDescription* library_ = nullptr;
};

}  // namespace

bool ReadProgramDescription(const std::string& path, ProgramDescription& out, std::string& error) {
  Reader reader(out, error);
  return reader.ReadFileAt(path);
}

}  // namespace imagetool
