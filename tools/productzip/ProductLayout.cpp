#include "tools/productzip/ProductLayout.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace productzip {
namespace {

constexpr uint32_t kModulesTotal = 71393320;     // the 47 top-level modules together
constexpr uint32_t kExercisesTotal = 148029962;  // the 150 numbered programs together
constexpr uint32_t kUpdaterSize = 864464;
constexpr uint32_t kDatabaseSize = 8925184;
constexpr uint32_t kRarSize = 90812;
constexpr uint32_t kUserDatabaseSize = 815104;
constexpr uint32_t kSettingsSize = 217;
constexpr uint32_t kExerciseSettingsSize = 23;
constexpr uint16_t kMadeByFat63 = 63;            // version 6.3 on a FAT host
constexpr uint16_t kMadeByFat31 = 31;            // version 3.1 on a FAT host
constexpr uint32_t kDosArchive = 0x20;
constexpr uint32_t kDosFolder = 0x10;
constexpr uint32_t kDosSystemFolder = 0x34;      // folder, system, archive

// The product's own modules. None is named like a library of the system or of a common runtime
// (zlib1.dll, dbghelp.dll, msvcr71.dll ...): a synthetic file under such a name beside the
// programs would be loaded in place of the real library and stop them from starting.
const char* const kModuleNames[47] = {
    "ExamBase.dll", "ExamFrame.dll", "ExamFrameCHS.dll", "ExamText.dll", "ExamMath.dll", "ExamDraw.dll", "ExamZip.dll",
    "ExamRar.dll", "ExamStore.dll", "ExamTrace.dll", "ExamCrypt.dll", "ExamLink.dll", "SkinH.dll", "SkinPlus.dll",
    "ExamCore.dll", "ExamData.dll", "ExamUI.dll", "ExamPrint.dll", "ExamReport.dll", "ExamTimer.dll",
    "QuestionBank.dll", "PaperBuilder.dll", "Scoring.dll", "AnswerSheet.dll", "Register.dll", "Licence.dll",
    "Ledger.dll", "Voucher.dll", "Balance.dll", "Statement.dll", "Calculator.dll", "FormulaEdit.dll",
    "RichView.dll", "ChartCtl.dll", "GridCtl.dll", "TreeCtl.dll", "FlashPlayer.dll", "MediaPlay.dll",
    "SpeechLib.dll", "HtmlView.dll", "Encrypt.dll", "NetUpdate.dll", "WebLink.dll", "Backup.dll",
    "ErrorLog.dll", "Resource.dll", "LangCHS.dll",
};

const char kSettingsText[] =
    "[Setting]\r\nTitle=Veltaro 会计从业考试题库\r\nVersion=V4.6\r\nDatabase=题库.mdb\r\nSkin=Skin.rar\r\n"
    "Help=Help.zip\r\nSound=Sound.zip\r\nUserData=UserData\\User.mdb\r\nAutoUpdate=1\r\nUrl=http://www.veltaro.com/\r\n";
const char kExerciseSettingsText[] = "[Set]\r\nFirst=1\r\nSkin=0\r\n";

// The text cut or filled with a comment line to exactly size bytes.
std::string FitText(std::string text, uint32_t size) {
  if (text.size() + 3 <= size) text += ";" + std::string(size - text.size() - 3, '-') + "\r\n";
  text.resize(size, ' ');
  return text;
}

// count sizes within [low, high] that add up to total, drawn from random.
std::vector<uint32_t> SplitTotal(uint64_t total, uint32_t count, uint32_t low, uint32_t high, Random& random) {
  if (total < uint64_t{count} * low || total > uint64_t{count} * high) throw std::logic_error("sizes out of range");
  std::vector<uint32_t> sizes(count);
  int64_t missing = static_cast<int64_t>(total);
  for (uint32_t& size : sizes) {
    size = static_cast<uint32_t>(random.Between(low, (uint64_t{low} + high) / 2 + (high - low) / 4));
    missing -= size;
  }
  while (missing != 0) {
    const int64_t step = missing / count + (missing > 0 ? 1 : -1);
    for (uint32_t& size : sizes) {
      if (missing == 0) break;
      int64_t change = missing > 0 ? std::min<int64_t>({step, missing, int64_t{high} - size})
                                   : std::max<int64_t>({step, missing, int64_t{low} - size});
      size = static_cast<uint32_t>(size + change);
      missing -= change;
    }
  }
  return sizes;
}

int DaysFromCivil(int year, int month, int day) {
  year -= month <= 2;
  const int era = year / 400;
  const int yearOfEra = year - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  return era * 146097 + (yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear) - 719468;
}

DosTime CivilFromDays(int days) {
  days += 719468;
  const int era = days / 146097;
  const int dayOfEra = days - era * 146097;
  const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int monthIndex = (5 * dayOfYear + 2) / 153;
  DosTime time = {};
  time.day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  time.month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  time.year = yearOfEra + era * 400 + (time.month <= 2);
  return time;
}

// Entry times fall between the product's first and last build days.
DosTime RandomTime(Random& random) {
  const int first = DaysFromCivil(2015, 3, 13);
  const int last = DaysFromCivil(2016, 12, 29);
  DosTime time = CivilFromDays(static_cast<int>(random.Between(first, last)));
  time.hour = static_cast<int>(random.Between(8, 22));
  time.minute = static_cast<int>(random.Between(0, 59));
  time.second = 2 * static_cast<int>(random.Between(0, 29));
  return time;
}

class LayoutBuilder {
 public:
  LayoutBuilder(const ProductOptions& options, Random& random) : options_(options), random_(random) {}

  void File(const std::string& name, ContentKind kind, uint32_t fullSize) {
    ProductEntry entry = {};
    entry.name = name;
    entry.kind = kind;
    entry.size = options_.size == ProductSize::kFull ? fullSize : static_cast<uint32_t>(random_.Between(64, 1500));
    entry.versionMadeBy = kMadeByFat63;
    entry.externalAttributes = kDosArchive;
    entry.time = RandomTime(random_);
    entries_.push_back(entry);
  }
  void Text(const std::string& name, const char* text, uint32_t size, bool stored) {
    File(name, ContentKind::kText, size);
    entries_.back().text = FitText(text, size);
    entries_.back().size = size;
    entries_.back().stored = stored;
  }
  void Folder(const std::string& name, uint32_t attributes) {
    ProductEntry entry = {};
    entry.name = name;
    entry.kind = ContentKind::kText;
    entry.folder = true;
    entry.stored = true;
    entry.versionMadeBy = kMadeByFat63;
    entry.externalAttributes = attributes;
    entry.time = RandomTime(random_);
    entries_.push_back(entry);
  }
  // The two programs the installer names: real files when given, padded to the reserved size in
  // the full product.
  void NamedProgram(const std::string& name, const std::string& file, uint32_t fullSize) {
    File(name, ContentKind::kProgram, fullSize);
    ProductEntry& entry = entries_.back();
    entry.versionMadeBy = kMadeByFat31;
    entry.contentFile = file;
    if (!file.empty() && options_.size == ProductSize::kSmall) entry.size = 0;  // the file's own size
  }
  ProductEntry& Last() { return entries_.back(); }
  std::vector<ProductEntry> Take() { return std::move(entries_); }
  bool Full() const { return options_.size == ProductSize::kFull; }

 private:
  const ProductOptions& options_;
  Random& random_;
  std::vector<ProductEntry> entries_;
};

}  // namespace

int64_t UnixSecondsUtc(const DosTime& time) {
  const int64_t days = DaysFromCivil(time.year, time.month, time.day);
  return days * 86400 + time.hour * 3600 + time.minute * 60 + time.second - 8 * 3600;
}

std::vector<ProductEntry> BuildProductLayout(const ProductOptions& options, Random& random) {
  LayoutBuilder layout(options, random);
  Random sizes = random.Fork(1);
  const std::vector<uint32_t> modules = SplitTotal(kModulesTotal, 47, 996148, 3199999, sizes);
  const std::vector<uint32_t> exercises = SplitTotal(kExercisesTotal, 150, 300000, 2500000, sizes);

  for (int i = 0; i < 47; ++i) layout.File(kModuleNames[i], ContentKind::kProgram, modules[i]);
  layout.File("升级程序.exe", ContentKind::kProgram, kUpdaterSize);
  layout.Text("Config.ini", kSettingsText, kSettingsSize, false);
  layout.File("题库.mdb", ContentKind::kDatabase, kDatabaseSize);
  layout.File("Skin.rar", ContentKind::kRar, kRarSize);
  layout.Last().stored = true;
  layout.File("Help.zip", ContentKind::kZip, 38393);
  layout.File("Sound.zip", ContentKind::kZip, 44974);
  layout.File("会计基础考试大纲.mht", ContentKind::kSyllabus, 10496410);
  layout.File("财经法规与会计职业道德考试大纲.mht", ContentKind::kSyllabus, 1187532);
  layout.File("初级会计电算化考试大纲.mht", ContentKind::kSyllabus, 852234);
  layout.Folder("模拟考试/", kDosFolder);
  for (int i = 0; i < 150; ++i) {
    layout.File("模拟考试/" + std::to_string(i + 1) + ".exe", ContentKind::kProgram, exercises[i]);
  }
  layout.Folder("Set/", kDosFolder);
  layout.Text("Set/Set.ini", kExerciseSettingsText, kExerciseSettingsSize, true);
  layout.Folder("UserData/", kDosSystemFolder);
  layout.File("UserData/User.mdb", ContentKind::kDatabase, kUserDatabaseSize);
  layout.NamedProgram("Uninstall.exe", options.uninstaller, kUninstallerSize);
  layout.NamedProgram("会计从业资格.exe", options.mainProgram, kMainProgramSize);
  layout.Last().unicodeName = u8"会计从业资格.exe";

  std::vector<ProductEntry> entries = layout.Take();
  // The span of entry times is the product's: first module and main program mark its ends.
  entries.front().time = {2015, 3, 13, 10, 24, 36};
  entries.back().time = {2016, 12, 29, 17, 8, 52};
  return entries;
}

}  // namespace productzip
