// Uninstall.exe run for real on a fake installation made the way the installer makes one:
// files and folders, Uninstall.ini, Uninstall.log, shell links, a program group and registry keys.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "installer/product/CleanupCopy.h"
#include "installer/product/GbkPath.h"
#include "installer/product/InstallLog.h"
#include "tests/product/TestProcesses.h"

namespace testing_product {
namespace {

using rt::UniqueHandle;
namespace path = product::path;

constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veltaro";
constexpr char kProductKey[] = "SOFTWARE\\Veltaro";
constexpr char kConfirmText[] = "确定要卸载 Veltaro 会计从业考试题库 吗？";
constexpr char kDoneText[] = "卸载完成";
constexpr char kKeptText[] = "卸载完成。下面的文件夹中还有不属于本软件的文件，已保留：\r\n";
constexpr char kAfterRestartText[] = "卸载完成。剩余的文件将在计算机重新启动后删除。";
constexpr char kCaption[] = "Veltaro 会计从业考试题库";
constexpr DWORD kExitDone = 0, kExitCancelled = 1, kExitRefused = 2, kExitIncomplete = 3;

std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size() + 1, L'\0');
  const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
  wide.resize(length > 0 ? length - 1 : 0);
  return wide;
}

// Saves a real shell link, as the installer's shortcut command does.
bool SaveShellLink(const std::string& linkFile, const std::string& target) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return false;
  bool saved = false;
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link)))) {
    link->SetPath(target.c_str());
    link->SetWorkingDirectory(path::Folder(target).c_str());
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      saved = SUCCEEDED(file->Save(Wide(linkFile).c_str(), TRUE));
      file->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return saved;
}

std::string SpecialFolder(int csidl) {
  char buffer[MAX_PATH] = {};
  SHGetSpecialFolderPathA(nullptr, buffer, csidl, TRUE);
  return buffer;
}

bool KeyExists(const char* key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

std::string ReadMachineValue(const char* key, const char* name) {
  rt::RegKey handle;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, handle.Receive()) != ERROR_SUCCESS) return std::string();
  char value[1024] = {};
  DWORD size = sizeof value - 1;
  if (RegQueryValueExA(handle.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS) {
    return std::string();
  }
  return value;
}

bool WriteMachineValue(const char* key, const char* name, const std::string& value) {
  HKEY handle = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG result = RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                     static_cast<DWORD>(value.size() + 1));
  RegCloseKey(handle);
  return result == ERROR_SUCCESS;
}

int NextSerial() {
  static int serial = 0;
  return ++serial;
}

// One installation as the installer leaves it, under a private temporary root.
class FakeInstallation {
 public:
  explicit FakeInstallation(const std::string& chosenFolderName = "安装测试") {
    const std::string tag = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(NextSerial());
    root = path::Join(TempFolder(), "veltaro-uninstall-" + tag);
    productParent = path::Join(path::Join(root, chosenFolderName), "Veltaro");
    folder = path::Join(productParent, "会计从业资格");
    desktopLink = path::Join(SpecialFolder(CSIDL_DESKTOPDIRECTORY), "Veltaro 会计从业资格 " + tag + ".lnk");
    quickLaunchLink = path::Join(SpecialFolder(CSIDL_APPDATA),
                                 "Microsoft\\Internet Explorer\\Quick Launch\\Veltaro 会计从业资格 " + tag + ".lnk");
    group = path::Join(SpecialFolder(CSIDL_PROGRAMS), "Veltaro 会计从业资格 " + tag);
  }

  ~FakeInstallation() {
    // Whatever a failing test left behind goes; the root holds everything but the links,
    // the group and the keys.
    DeleteFileA(desktopLink.c_str());
    DeleteFileA(quickLaunchLink.c_str());
    RemoveFixtureTree(group);
    RemoveFixtureTree(root);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstallKey);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kProductKey);
  }

  // Files, links, the group, the keys, the log and the record with the given installation path.
  void Make(const std::string& recordedFolder) {
    ASSERT_TRUE(MakeFolders(path::Join(folder, "题库\\章节")));
    ASSERT_TRUE(MakeFolders(path::Folder(quickLaunchLink)));
    ASSERT_TRUE(MakeFolders(group));
    ASSERT_TRUE(CopyFileA(path::Join(TestFolder(), "Uninstall.exe").c_str(), Uninstaller().c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(path::Join(TestFolder(), "会计从业资格.exe").c_str(), MainProgram().c_str(), FALSE));
    ASSERT_TRUE(WriteTextFile(path::Join(folder, "题库\\章节\\第一章.dat"), "question data"));
    ASSERT_TRUE(WriteTextFile(path::Join(folder, "设置.ini"), "[设置]\r\n字体=宋体\r\n"));
    const std::string readOnly = path::Join(folder, "题库\\只读.dat");
    ASSERT_TRUE(WriteTextFile(readOnly, "read-only data"));
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SaveShellLink(desktopLink, MainProgram()));
    ASSERT_TRUE(SaveShellLink(quickLaunchLink, MainProgram()));
    ASSERT_TRUE(SaveShellLink(path::Join(group, "软件卸载.lnk"), Uninstaller()));
    ASSERT_TRUE(SaveShellLink(path::Join(group, "会计从业资格.lnk"), MainProgram()));
    ASSERT_NO_FATAL_FAILURE(WriteUninstallEntry(Uninstaller()));
    ASSERT_TRUE(WriteMachineValue(kProductKey, "URL", "http://www.veltaro.example/"));
    ASSERT_TRUE(product::WriteInstallLog(folder, Log()));
    WriteRecord(recordedFolder, AllShortcuts(), group);
  }

  // The five values the installer writes, its uninstaller named as `uninstaller`.
  void WriteUninstallEntry(const std::string& uninstaller) {
    ASSERT_TRUE(WriteMachineValue(kUninstallKey, "DisplayIcon", MainProgram()));
    ASSERT_TRUE(WriteMachineValue(kUninstallKey, "DisplayName", "Veltaro 会计从业考试题库"));
    ASSERT_TRUE(WriteMachineValue(kUninstallKey, "DisplayVersion", "V4.6"));
    ASSERT_TRUE(WriteMachineValue(kUninstallKey, "UninstallString", "\"" + uninstaller + "\""));
    ASSERT_TRUE(WriteMachineValue(kUninstallKey, "Publisher", "Veltaro"));
  }

  // What the installer lists: every folder and file it unpacked; the Veltaro level is its own.
  product::InstallLog Log() const {
    product::InstallLog log;
    log.folder = folder;
    log.made = productParent;
    log.items = {{true, "题库"},           {true, "题库\\章节"},        {false, "题库\\章节\\第一章.dat"},
                 {false, "题库\\只读.dat"}, {false, "设置.ini"},         {false, "Uninstall.exe"},
                 {false, "会计从业资格.exe"}};
    return log;
  }

  // Every shortcut the installer made, as it records them.
  std::string AllShortcuts() const {
    return desktopLink + "|" + path::Join(group, "会计从业资格.lnk") + "|" + path::Join(group, "软件卸载.lnk") + "|" +
           quickLaunchLink;
  }

  void WriteRecord(const std::string& recordedFolder, const std::string& shortcuts, const std::string& programGroup) {
    const std::string ini = Record();
    ASSERT_TRUE(WritePrivateProfileStringA("路径", "路径", recordedFolder.c_str(), ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("快捷方式", "快捷方式", shortcuts.c_str(), ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("程序组", "程序组", programGroup.c_str(), ini.c_str()));
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini.c_str());  // flush Wine's cache
  }

  std::string Uninstaller() const { return path::Join(folder, "Uninstall.exe"); }
  std::string MainProgram() const { return path::Join(folder, "会计从业资格.exe"); }
  std::string Record() const { return path::Join(folder, "Uninstall.ini"); }
  std::string LogFile() const { return path::Join(folder, "Uninstall.log"); }

  // Everything the installer made is still in place.
  void ExpectUntouched() const {
    EXPECT_TRUE(Exists(Uninstaller()));
    EXPECT_TRUE(Exists(MainProgram()));
    EXPECT_TRUE(Exists(path::Join(folder, "题库\\章节\\第一章.dat")));
    EXPECT_TRUE(Exists(desktopLink));
    EXPECT_TRUE(Exists(quickLaunchLink));
    EXPECT_TRUE(Exists(path::Join(group, "软件卸载.lnk")));
    EXPECT_TRUE(Exists(Record()));
    EXPECT_TRUE(KeyExists(kUninstallKey));
    EXPECT_TRUE(KeyExists(kProductKey));
  }

  // The product's own files, the record, the log, the shortcuts, the group and the entry are gone.
  void ExpectProductGone() const {
    for (const product::InstalledItem& item : Log().items) {
      if (item.isFolder) continue;
      EXPECT_FALSE(Exists(path::Join(folder, item.path))) << item.path;
    }
    EXPECT_FALSE(Exists(Record()));
    EXPECT_FALSE(Exists(LogFile()));
    EXPECT_FALSE(Exists(desktopLink));
    EXPECT_FALSE(Exists(quickLaunchLink));
    EXPECT_FALSE(Exists(group));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_TRUE(KeyExists(kProductKey)) << "the vendor's key is not the installer's to remove";
  }

  std::string root;             // private temporary root of this installation
  std::string productParent;    // the "Veltaro" folder the installer creates
  std::string folder;           // the installation folder F
  std::string desktopLink;      // desktop shortcut
  std::string quickLaunchLink;  // second shortcut, recorded after a "|"
  std::string group;            // program group in the Start menu
};

bool IsCopyFolderName(const std::string& name) {
  const std::string prefix = product::kCopyFolderPrefix;
  if (name.size() != prefix.size() + 16 || name.compare(0, prefix.size(), prefix) != 0) return false;
  return name.find_first_not_of("0123456789ABCDEF", prefix.size()) == std::string::npos;
}

// The uninstaller copies' folders under %TEMP%, by name.
std::vector<std::string> CopyFolders() {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path::Join(TempFolder(), "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (IsCopyFolderName(found.cFileName)) names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

std::string ImageOf(HANDLE process) {
  char image[MAX_PATH * 2] = {};
  DWORD size = sizeof image;
  if (!QueryFullProcessImageNameA(process, 0, image, &size)) return std::string();
  return std::string(image, size);
}

// The files and folders the system is to remove or rename at its next start.
std::string PendingAtRestart() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ, &key))
    return std::string();
  std::string value(65536, '\0');
  DWORD size = static_cast<DWORD>(value.size());
  if (RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr, reinterpret_cast<BYTE*>(&value[0]), &size))
    size = 0;
  RegCloseKey(key);
  value.resize(size);
  return value;
}

// Answers the box that the uninstaller's process tree shows next, checking its text.
void AnswerBox(DWORD root, const std::string& expectedText, int button) {
  HWND box = WaitForBox(root);
  ASSERT_NE(box, nullptr) << "no box appeared";
  EXPECT_EQ(WindowText(box), kCaption);
  EXPECT_EQ(BoxText(box), expectedText);
  Press(box, button);
  // The answer is posted: wait for the box to go, so that the next box looked for is a new one.
  for (int i = 0; i < 250 && IsWindow(box); ++i) Sleep(20);
  EXPECT_FALSE(IsWindow(box)) << "the box stays after its answer";
}

// Answers the refusal box, which names what is wrong, and checks that nothing was removed.
void ExpectRefusal(FakeInstallation& installation, const std::string& named = "Uninstall.ini") {
  const std::vector<std::string> copiesBefore = CopyFolders();
  Child uninstaller = Start(installation.Uninstaller(), "", installation.folder);
  HWND box = WaitForBox(uninstaller.id);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(BoxText(box), kConfirmText) << "a bad record must not get as far as the question";
  EXPECT_NE(BoxText(box).find(named), std::string::npos) << BoxText(box);
  Press(box, IDOK);
  EXPECT_EQ(WaitForExit(uninstaller.process.Get()), kExitRefused);
  installation.ExpectUntouched();
  EXPECT_EQ(CopyFolders(), copiesBefore) << "no copy is made";
}

TEST(UninstallerTest, YesRemovesEverythingTheInstallerMadeIncludingItself) {
  FakeInstallation installation;
  ASSERT_NO_FATAL_FAILURE(installation.Make(installation.folder));
  Child uninstaller = Start(installation.Uninstaller(), "", installation.folder);
  ASSERT_NO_FATAL_FAILURE(AnswerBox(uninstaller.id, kConfirmText, IDYES));

  // The final box comes from the copy in the temporary folder, once the folder is gone.
  HWND done = WaitForBox(uninstaller.id);
  ASSERT_NE(done, nullptr);
  UniqueHandle copy = OwnerProcess(done);
  ASSERT_TRUE(copy.Valid());
  EXPECT_NE(GetProcessId(copy.Get()), uninstaller.id);
  EXPECT_EQ(BoxText(done), kDoneText);
  EXPECT_FALSE(Exists(installation.folder)) << "the folder must be gone before the box says so";
  // The copy runs from a new folder of its own with a random name, not from the temporary
  // folder itself, where anyone could put a library beside it.
  const std::string copyFile = ImageOf(copy.Get());
  const std::string copyFolder = path::Folder(copyFile);
  const std::string copyFolderName = path::LastComponent(copyFolder);
  EXPECT_TRUE(path::SameFolder(path::Folder(copyFolder), TempFolder())) << copyFile;
  EXPECT_TRUE(IsCopyFolderName(copyFolderName)) << copyFile;
  EXPECT_EQ(path::LastComponent(copyFile), "Uninstall.exe");
  Press(done, IDOK);
  EXPECT_EQ(WaitForExit(copy.Get()), kExitDone);
  EXPECT_EQ(WaitForExit(uninstaller.process.Get()), kExitDone);

  installation.ExpectProductGone();
  EXPECT_FALSE(Exists(installation.folder));
  EXPECT_FALSE(Exists(installation.productParent)) << "the Veltaro folder the installation made goes too";
  EXPECT_TRUE(Exists(path::Folder(installation.productParent))) << "the folder the user chose stays";
  // The copy's file goes with its last handle, when the copy ends; its empty folder goes when
  // the system starts next.
  for (int i = 0; i < 40 && Exists(copyFile); ++i) Sleep(50);
  EXPECT_FALSE(Exists(copyFile)) << copyFile;
  EXPECT_TRUE(RemoveDirectoryA(copyFolder.c_str())) << "nothing is left in " << copyFolder;
  EXPECT_NE(PendingAtRestart().find(copyFolderName), std::string::npos) << "the system removes " << copyFolder;
}

TEST(UninstallerTest, UserFilesInTheProductFolderSurviveAndTheBoxNamesTheFolder) {
  FakeInstallation installation;
  ASSERT_NO_FATAL_FAILURE(installation.Make(installation.folder));
  const std::vector<std::string> mine = {path::Join(installation.folder, "我的笔记.txt"),
                                         path::Join(installation.folder, "我的资料\\第一份.txt"),
                                         path::Join(installation.folder, "题库\\批注.txt")};
  ASSERT_TRUE(MakeFolders(path::Join(installation.folder, "我的资料")));
  for (const std::string& file : mine) ASSERT_TRUE(WriteTextFile(file, "mine: " + file));

  Child uninstaller = Start(installation.Uninstaller(), "", installation.folder);
  ASSERT_NO_FATAL_FAILURE(AnswerBox(uninstaller.id, kConfirmText, IDYES));
  HWND box = WaitForBox(uninstaller.id);
  ASSERT_NE(box, nullptr);
  UniqueHandle copy = OwnerProcess(box);
  EXPECT_EQ(BoxText(box), kKeptText + installation.folder);
  Press(box, IDOK);
  EXPECT_EQ(WaitForExit(copy.Get()), kExitDone);

  installation.ExpectProductGone();
  for (const std::string& file : mine) EXPECT_EQ(ReadTextFile(file), "mine: " + file);
  EXPECT_FALSE(Exists(path::Join(installation.folder, "题库\\章节"))) << "a listed folder left empty goes";
  EXPECT_TRUE(Exists(installation.productParent));
}

TEST(UninstallerTest, LeavesTheUninstallEntryOfAnotherInstallation) {
  FakeInstallation installation;
  ASSERT_NO_FATAL_FAILURE(installation.Make(installation.folder));
  const std::string other = "\"" + path::Join(installation.root, "另一安装\\Uninstall.exe") + "\"";
  ASSERT_NO_FATAL_FAILURE(installation.WriteUninstallEntry(path::Join(installation.root, "另一安装\\Uninstall.exe")));

  Child uninstaller = Start(installation.Uninstaller(), "", installation.folder);
  ASSERT_NO_FATAL_FAILURE(AnswerBox(uninstaller.id, kConfirmText, IDYES));
  ASSERT_NO_FATAL_FAILURE(AnswerBox(uninstaller.id, kDoneText, IDOK));
  EXPECT_EQ(WaitForExit(uninstaller.process.Get()), kExitDone);

  EXPECT_EQ(ReadMachineValue(kUninstallKey, "UninstallString"), other);
  EXPECT_EQ(ReadMachineValue(kUninstallKey, "DisplayName"), "Veltaro 会计从业考试题库");
  EXPECT_FALSE(Exists(installation.desktopLink));
  for (int i = 0; i < 100 && Exists(installation.folder); ++i) Sleep(50);
  EXPECT_FALSE(Exists(installation.folder));
}

TEST(UninstallerTest, RemovesNothingWhenTheLogIsMissingCutOrEdited) {
  enum Spoil { kMissing, kCut, kOtherFolder, kWalksUp, kOpenToOthers };
  struct Case {
    const char* what;
    Spoil spoil;
  };
  for (const Case& c : {Case{"missing", kMissing}, Case{"cut", kCut}, Case{"names another folder", kOtherFolder},
                        Case{"walks out of the folder", kWalksUp}, Case{"open to other users", kOpenToOthers}}) {
    SCOPED_TRACE(c.what);
    FakeInstallation installation;
    ASSERT_NO_FATAL_FAILURE(installation.Make(installation.folder));
    // Someone else's file, which a log gone wrong could name.
    const std::string other = path::Join(installation.root, "别处");
    const std::string theirs = path::Join(other, "重要.txt");
    ASSERT_TRUE(MakeFolders(other));
    ASSERT_TRUE(WriteTextFile(theirs, "keep me"));
    product::InstallLog log = installation.Log();
    const std::string text = product::FormatInstallLog(log);
    switch (c.spoil) {
      case kMissing: ASSERT_TRUE(DeleteFileA(installation.LogFile().c_str())); break;
      case kCut: ASSERT_TRUE(WriteTextFile(installation.LogFile(), text.substr(0, text.find("F 设置.ini")))); break;
      case kOtherFolder:
        log.folder = other;
        log.made.clear();
        log.items = {{false, "重要.txt"}};
        ASSERT_TRUE(product::WriteInstallLog(installation.folder, log));
        break;
      case kWalksUp:
        log.items.push_back({false, "..\\..\\..\\别处\\重要.txt"});
        ASSERT_TRUE(WriteTextFile(installation.LogFile(), product::FormatInstallLog(log)));
        break;
      case kOpenToOthers:  // everyone may now rewrite the log (Wine keeps Everyone's rights only)
        ASSERT_TRUE(SetAccess(installation.LogFile(), "D:(A;;FA;;;WD)"));
        break;
    }
    ExpectRefusal(installation, c.spoil == kOpenToOthers ? "其他用户" : "Uninstall.log");
    EXPECT_TRUE(Exists(theirs));
  }
}

TEST(UninstallerTest, RemovesNothingInAProtectedFolder) {
  // Everyone's application-data folder stands for all the protected ones: a test may write there,
  // and under Wine it is no link into the Linux home.
  const std::string shared = SpecialFolder(CSIDL_COMMON_APPDATA);
  ASSERT_FALSE(shared.empty());
  const std::string data = path::Join(shared, "veltaro-test-" + std::to_string(GetCurrentProcessId()) + ".dat");
  const std::string uninstaller = path::Join(shared, "Uninstall.exe");
  const std::string record = path::Join(shared, "Uninstall.ini");
  ASSERT_TRUE(CopyFileA(path::Join(TestFolder(), "Uninstall.exe").c_str(), uninstaller.c_str(), FALSE));
  ASSERT_TRUE(WriteTextFile(data, "shared data"));
  ASSERT_TRUE(WritePrivateProfileStringA("路径", "路径", shared.c_str(), record.c_str()));
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, record.c_str());
  product::InstallLog log;
  log.folder = shared;
  log.items = {{false, "Uninstall.exe"}, {false, path::LastComponent(data)}};
  ASSERT_TRUE(product::WriteInstallLog(shared, log));

  Child child = Start(uninstaller, "", shared);
  HWND box = WaitForBox(child.id);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(BoxText(box), kConfirmText);
  EXPECT_NE(BoxText(box).find(shared), std::string::npos) << "the box names the folder: " << BoxText(box);
  Press(box, IDOK);
  EXPECT_EQ(WaitForExit(child.process.Get()), kExitRefused);
  for (const std::string& file : {data, uninstaller, record, path::Join(shared, "Uninstall.log")}) {
    EXPECT_TRUE(Exists(file)) << file;
    DeleteFileA(file.c_str());
  }
}

std::string HandleText(HANDLE handle) {
  return std::to_string(static_cast<unsigned long>(reinterpret_cast<uintptr_t>(handle)));
}

// Started the way the first run starts its temporary copy; a signalled event stands for the
// first run, which has ended already, and `agreed` is the event the copy sets when it goes ahead.
Child StartCleanupRun(const std::string& folder, UniqueHandle& agreed) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  UniqueHandle ended(CreateEventA(&inherit, TRUE, TRUE, nullptr));
  agreed.Reset(CreateEventA(&inherit, TRUE, FALSE, nullptr));
  const std::string program = path::Join(TestFolder(), "Uninstall.exe");
  const std::string arguments =
      "/cleanup " + HandleText(ended.Get()) + " " + HandleText(agreed.Get()) + " " + product::ToHex(folder);
  return Start(program, arguments, TempFolder(), true);
}

TEST(UninstallerTest, TheTemporaryCopyChecksTheRecordAgainBeforeRemovingAnything) {
  for (bool logOfAnotherFolder : {true, false}) {
    SCOPED_TRACE(logOfAnotherFolder ? "log of another folder" : "good log");
    FakeInstallation installation;
    ASSERT_NO_FATAL_FAILURE(installation.Make(installation.folder));
    if (logOfAnotherFolder) {
      product::InstallLog log = installation.Log();
      log.folder = installation.root;
      log.made.clear();
      ASSERT_TRUE(product::WriteInstallLog(installation.folder, log));
    }
    UniqueHandle agreed;
    Child copy = StartCleanupRun(installation.folder, agreed);
    HWND box = WaitForBox(copy.id);
    ASSERT_NE(box, nullptr);
    if (logOfAnotherFolder) {
      EXPECT_NE(BoxText(box).find("Uninstall.log"), std::string::npos) << BoxText(box);
      Press(box, IDOK);
      EXPECT_EQ(WaitForExit(copy.process.Get()), kExitRefused);
      EXPECT_EQ(WaitForSingleObject(agreed.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
          << "the first run is never told to remove its part";
      installation.ExpectUntouched();
      continue;
    }
    EXPECT_EQ(WaitForSingleObject(agreed.Get(), 0), WAIT_OBJECT_0) << "the first run is told to go ahead";
    EXPECT_EQ(BoxText(box), kDoneText) << "the copy does not ask again";
    Press(box, IDOK);
    EXPECT_EQ(WaitForExit(copy.process.Get()), kExitDone);
    EXPECT_FALSE(Exists(installation.folder));
    EXPECT_TRUE(Exists(installation.desktopLink)) << "shortcuts are the first run's part";
  }
}

TEST(UninstallerTest, WithoutATemporaryCopyItRemovesTheListedFilesAndLeavesItselfForTheRestart) {
  for (bool userFile : {false, true}) {
    SCOPED_TRACE(userFile ? "with a file of the user's" : "only the product");
    FakeInstallation installation;
    ASSERT_NO_FATAL_FAILURE(installation.Make(installation.folder));
    const std::string notes = path::Join(installation.folder, "我的笔记.txt");
    if (userFile) {
      ASSERT_TRUE(WriteTextFile(notes, "mine"));
    }
    // No temporary folder to copy into: TMP and TEMP name one that does not exist. The child
    // takes the environment when it starts; ours is put back at once.
    const std::string temp = TempFolder();
    const std::string nowhere = path::Join(installation.root, "没有临时文件夹");
    SetEnvironmentVariableA("TMP", nowhere.c_str());
    SetEnvironmentVariableA("TEMP", nowhere.c_str());
    Child uninstaller = Start(installation.Uninstaller(), "", installation.folder);
    SetEnvironmentVariableA("TMP", temp.c_str());
    SetEnvironmentVariableA("TEMP", temp.c_str());

    ASSERT_NO_FATAL_FAILURE(AnswerBox(uninstaller.id, kConfirmText, IDYES));
    ASSERT_NO_FATAL_FAILURE(
        AnswerBox(uninstaller.id, userFile ? kKeptText + installation.folder : std::string(kAfterRestartText), IDOK));
    EXPECT_EQ(WaitForExit(uninstaller.process.Get()), kExitDone);
    EXPECT_FALSE(Exists(nowhere)) << "no temporary folder is made for a copy";
    EXPECT_TRUE(Exists(installation.Uninstaller())) << "a running program cannot delete itself";
    EXPECT_FALSE(Exists(installation.MainProgram()));
    EXPECT_FALSE(Exists(path::Join(installation.folder, "题库")));
    EXPECT_FALSE(Exists(installation.Record()));
    EXPECT_FALSE(Exists(installation.LogFile()));
    EXPECT_EQ(Exists(notes), userFile);
    EXPECT_FALSE(KeyExists(kUninstallKey));
  }
}

TEST(UninstallerTest, NoRemovesNothing) {
  const std::vector<std::string> copiesBefore = CopyFolders();
  FakeInstallation installation;
  ASSERT_NO_FATAL_FAILURE(installation.Make(installation.folder));
  Child uninstaller = Start(installation.Uninstaller(), "", installation.folder);
  ASSERT_NO_FATAL_FAILURE(AnswerBox(uninstaller.id, kConfirmText, IDNO));
  EXPECT_EQ(WaitForExit(uninstaller.process.Get()), kExitCancelled);
  installation.ExpectUntouched();
  EXPECT_TRUE(Exists(installation.Record()));
  EXPECT_EQ(CopyFolders(), copiesBefore) << "no copy is made";
}

TEST(UninstallerTest, RefusesRecordsThatDoNotNameItsOwnFolder) {
  struct Case {
    const char* what;
    std::string recorded;
  };
  const std::string drive = TempFolder().substr(0, 3);
  const std::vector<Case> cases = {
      {"empty path", ""},
      {"drive root", "C:\\"},
      {"drive root written as a subfolder's parent", drive + "Veltaro\\.."},
      {"relative path", "Veltaro\\会计从业资格"},
      {"folder without Uninstall.ini", "别处"},
      {"another folder with a record of its own", "另一安装"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeInstallation installation;
    // The two named folders exist beside the installation; the second holds a valid record.
    const std::string elsewhere = path::Join(installation.root, "别处");
    const std::string other = path::Join(installation.root, "另一安装");
    ASSERT_TRUE(MakeFolders(elsewhere));
    ASSERT_TRUE(MakeFolders(other));
    ASSERT_TRUE(WritePrivateProfileStringA("路径", "路径", other.c_str(), path::Join(other, "Uninstall.ini").c_str()));
    const bool named = c.recorded == "别处" || c.recorded == "另一安装";
    ASSERT_NO_FATAL_FAILURE(installation.Make(named ? path::Join(installation.root, c.recorded) : c.recorded));
    ExpectRefusal(installation);
    EXPECT_TRUE(Exists(path::Join(other, "Uninstall.ini")));
  }
}

TEST(UninstallerTest, RefusesWithoutRecord) {
  FakeInstallation installation;
  ASSERT_NO_FATAL_FAILURE(installation.Make(installation.folder));
  ASSERT_TRUE(DeleteFileA(installation.Record().c_str()));
  Child uninstaller = Start(installation.Uninstaller(), "", installation.folder);
  HWND box = WaitForBox(uninstaller.id);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(BoxText(box), kConfirmText);
  Press(box, IDOK);
  EXPECT_EQ(WaitForExit(uninstaller.process.Get()), kExitRefused);
  EXPECT_TRUE(Exists(installation.Uninstaller()));
  EXPECT_TRUE(Exists(installation.desktopLink));
  EXPECT_TRUE(KeyExists(kUninstallKey));
}

TEST(UninstallerTest, LeavesAloneRecordedPathsThatAreNotItsShortcutsOrGroup) {
  FakeInstallation installation;
  ASSERT_NO_FATAL_FAILURE(installation.Make(installation.folder));
  // A record edited to list an ordinary file, another program's shortcut on the desktop, a link
  // to the product outside the shortcut folders, and an empty Start-menu folder (Startup, say).
  const std::string notALink = path::Join(installation.root, "笔记.lnk");
  const std::string othersLink =
      path::Join(path::Folder(installation.desktopLink), "别的程序 " + path::LastComponent(installation.root) + ".lnk");
  const std::string misplacedLink = path::Join(installation.root, "放错.lnk");
  const std::string emptyStartMenuFolder = installation.group + " 启动";
  ASSERT_TRUE(WriteTextFile(notALink, "not a shell link"));
  ASSERT_TRUE(SaveShellLink(othersLink, path::Join(installation.root, "别的程序\\别的.exe")));
  ASSERT_TRUE(SaveShellLink(misplacedLink, installation.MainProgram()));
  ASSERT_TRUE(MakeFolders(emptyStartMenuFolder));
  installation.WriteRecord(installation.folder,
                           notALink + " | " + othersLink + "|" + misplacedLink + "|" + installation.desktopLink,
                           emptyStartMenuFolder);

  Child uninstaller = Start(installation.Uninstaller(), "", installation.folder);
  ASSERT_NO_FATAL_FAILURE(AnswerBox(uninstaller.id, kConfirmText, IDYES));
  ASSERT_NO_FATAL_FAILURE(AnswerBox(uninstaller.id, kDoneText, IDOK));
  EXPECT_EQ(WaitForExit(uninstaller.process.Get()), kExitDone);

  EXPECT_TRUE(Exists(notALink));
  EXPECT_TRUE(Exists(othersLink));
  EXPECT_TRUE(Exists(misplacedLink));
  EXPECT_TRUE(Exists(emptyStartMenuFolder));
  EXPECT_FALSE(Exists(installation.desktopLink)) << "the real link in the list still goes";
  DeleteFileA(othersLink.c_str());
  RemoveDirectoryA(emptyStartMenuFolder.c_str());
  for (int i = 0; i < 100 && Exists(installation.folder); ++i) Sleep(50);
  EXPECT_FALSE(Exists(installation.folder));
}

TEST(UninstallerTest, KeepsAProgramGroupThatHoldsTheUsersOwnShortcut) {
  FakeInstallation installation;
  ASSERT_NO_FATAL_FAILURE(installation.Make(installation.folder));
  const std::string own = path::Join(installation.group, "我的链接.lnk");
  ASSERT_TRUE(SaveShellLink(own, path::Join(installation.root, "别处.exe")));

  Child uninstaller = Start(installation.Uninstaller(), "", installation.folder);
  ASSERT_NO_FATAL_FAILURE(AnswerBox(uninstaller.id, kConfirmText, IDYES));
  ASSERT_NO_FATAL_FAILURE(AnswerBox(uninstaller.id, kDoneText, IDOK));
  EXPECT_EQ(WaitForExit(uninstaller.process.Get()), kExitDone);

  EXPECT_TRUE(Exists(own));
  EXPECT_FALSE(Exists(path::Join(installation.group, "软件卸载.lnk")));
  EXPECT_FALSE(Exists(path::Join(installation.group, "会计从业资格.lnk")));
}

TEST(UninstallerTest, SaysSoWhenFilesInUseStay) {
  FakeInstallation installation;
  ASSERT_NO_FATAL_FAILURE(installation.Make(installation.folder));
  // A file held open without delete sharing, as by a running question bank.
  const std::string busy = path::Join(installation.folder, "题库\\章节\\第一章.dat");
  UniqueHandle holder(CreateFileA(busy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder.Valid());

  Child uninstaller = Start(installation.Uninstaller(), "", installation.folder);
  ASSERT_NO_FATAL_FAILURE(AnswerBox(uninstaller.id, kConfirmText, IDYES));
  HWND box = WaitForBox(uninstaller.id);
  ASSERT_NE(box, nullptr);
  UniqueHandle copy = OwnerProcess(box);
  const std::string text = BoxText(box);
  EXPECT_EQ(text.rfind("卸载未能全部完成", 0), 0u) << text;
  EXPECT_NE(text.find(installation.folder), std::string::npos) << "the box names the folder left behind";
  Press(box, IDOK);
  EXPECT_EQ(WaitForExit(copy.Get()), kExitIncomplete);
  EXPECT_TRUE(Exists(busy));
  EXPECT_FALSE(Exists(installation.MainProgram())) << "everything else still goes";
  EXPECT_FALSE(KeyExists(kUninstallKey));
}

TEST(UninstallerTest, HandlesFoldersWhoseGbkBytesContainSeparators) {
  // "誠" is D5 5C and "東" is 96 7C: their second bytes are "\" and "|".
  FakeInstallation installation("誠信会计東");
  installation.desktopLink = path::Join(path::Folder(installation.desktopLink), "東誠 " + path::LastComponent(installation.desktopLink));
  ASSERT_NO_FATAL_FAILURE(installation.Make(installation.folder));
  Child uninstaller = Start(installation.Uninstaller(), "", installation.folder);
  ASSERT_NO_FATAL_FAILURE(AnswerBox(uninstaller.id, kConfirmText, IDYES));
  ASSERT_NO_FATAL_FAILURE(AnswerBox(uninstaller.id, kDoneText, IDOK));
  EXPECT_EQ(WaitForExit(uninstaller.process.Get()), kExitDone);
  for (int i = 0; i < 100 && Exists(installation.folder); ++i) Sleep(50);
  EXPECT_FALSE(Exists(installation.folder));
  EXPECT_FALSE(Exists(installation.desktopLink));
  EXPECT_TRUE(Exists(path::Folder(installation.productParent)));
}

}  // namespace
}  // namespace testing_product
