// The release packages as a user meets them: the MSI installed silently, the installed program
// started and closed, a newer build's MSI installed over it, and the removal; and the zip's
// program started where it was unpacked. Runs in the test prefix, whose Program Files, Start
// menu and Add/Remove Programs entries the installs really change.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/win/com_ptr.h"
#include "framework/win/handles.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win/started_program.h"

namespace {

using tw::ComPtr;
using tw::ScopedKey;
using tw::test::ReadFileBytes;
using tw::test::StartedProgram;

constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// The program's stored layout. A value of the test's own under its key stands for it: removing
// the program must leave the key and everything in it.
constexpr const char* kLayoutKey = "Software\\Tarn_Wick\\Window";
constexpr const char* kLayoutMark = "PackageTest";

// Runs COMMAND and waits for it: its exit code, or the error of a failed start.
DWORD RunAndWait(std::string command) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return GetLastError();
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exit_code = 0;
  GetExitCodeProcess(process.hProcess, &exit_code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return exit_code;
}

// msiexec with ACTION ("/i" or "/x") on PACKAGE (a file or a product code), without any UI.
DWORD Msiexec(const char* action, const std::string& package) {
  return RunAndWait(std::string("msiexec ") + action + " \"" + package + "\" /qn");
}

std::string RegistryText(HKEY key, const char* name) {
  char text[512] = {};
  DWORD size = sizeof(text) - 1;
  DWORD type = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != 0 ||
      type != REG_SZ)
    return {};
  return text;
}

struct UninstallEntry {
  std::string product_code;
  std::string version;
  std::string publisher;
  std::string location;
};

// The entries of Add/Remove Programs named "Tarnwick"; their keys are the product codes.
std::vector<UninstallEntry> TarnwickEntries() {
  std::vector<UninstallEntry> entries;
  ScopedKey uninstall;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, uninstall.Receive()) != 0)
    return entries;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof(name);
    if (RegEnumKeyExA(uninstall.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != 0)
      break;
    ScopedKey entry;
    if (RegOpenKeyExA(uninstall.Get(), name, 0, KEY_READ, entry.Receive()) != 0) continue;
    if (RegistryText(entry.Get(), "DisplayName") != "Tarnwick") continue;
    entries.push_back({name, RegistryText(entry.Get(), "DisplayVersion"),
                       RegistryText(entry.Get(), "Publisher"),
                       RegistryText(entry.Get(), "InstallLocation")});
  }
  return entries;
}

bool StoreLayoutMark() {
  ScopedKey key;
  return RegCreateKeyExA(HKEY_CURRENT_USER, kLayoutKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                         key.Receive(), nullptr) == 0 &&
         RegSetValueExA(key.Get(), kLayoutMark, 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2) == 0;
}

std::string LayoutMark() {
  ScopedKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kLayoutKey, 0, KEY_READ, key.Receive()) != 0) return {};
  return RegistryText(key.Get(), kLayoutMark);
}

void RemoveLayoutMark() {
  ScopedKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kLayoutKey, 0, KEY_WRITE, key.Receive()) == 0)
    RegDeleteValueA(key.Get(), kLayoutMark);
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string SpecialFolder(int csidl) {
  char path[MAX_PATH] = {};
  return SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path)) ? path : "";
}

// The file a shortcut starts, or empty when it cannot be read.
std::string ShortcutTarget(const std::string& shortcut) {
  ComPtr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              link.ReceiveVoid())))
    return {};
  ComPtr<IPersistFile> file = link.As<IPersistFile>();
  std::wstring wide(shortcut.begin(), shortcut.end());
  char target[MAX_PATH] = {};
  if (!file || FAILED(file->Load(wide.c_str(), STGM_READ)) ||
      FAILED(link->GetPath(target, MAX_PATH, nullptr, 0)))
    return {};
  return target;
}

// Whether the executable still holds debugging data: COFF symbols, or sections named ".debug...".
// Section names longer than eight characters are "/offset" into the string table that follows the
// symbols (a stripped program keeps one for ".gnu_debuglink").
bool CarriesDebugInformation(const std::string& program) {
  std::vector<unsigned char> bytes = ReadFileBytes(program);
  auto fits = [&](size_t at, size_t size) { return at <= bytes.size() && size <= bytes.size() - at; };
  if (!fits(0, sizeof(IMAGE_DOS_HEADER))) return true;
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
  size_t file_header_at = size_t(dos->e_lfanew) + sizeof(DWORD);
  if (!fits(file_header_at, sizeof(IMAGE_FILE_HEADER))) return true;
  auto* header = reinterpret_cast<const IMAGE_FILE_HEADER*>(bytes.data() + file_header_at);
  if (header->NumberOfSymbols != 0) return true;
  size_t sections_at = file_header_at + sizeof(IMAGE_FILE_HEADER) + header->SizeOfOptionalHeader;
  if (!fits(sections_at, header->NumberOfSections * sizeof(IMAGE_SECTION_HEADER))) return true;
  auto* sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(bytes.data() + sections_at);
  for (int i = 0; i < header->NumberOfSections; ++i) {
    auto* short_name = reinterpret_cast<const char*>(sections[i].Name);
    std::string name(short_name, strnlen(short_name, IMAGE_SIZEOF_SHORT_NAME));
    if (name[0] == '/') {
      size_t at = size_t(header->PointerToSymbolTable) + std::strtoul(name.c_str() + 1, nullptr, 10);
      if (header->PointerToSymbolTable == 0 || !fits(at, 1)) return true;
      auto* long_name = reinterpret_cast<const char*>(bytes.data() + at);
      name.assign(long_name, strnlen(long_name, bytes.size() - at));
    }
    if (name.rfind(".debug", 0) == 0) return true;
  }
  return false;
}

class PackageTest : public testing::Test {
protected:
  void SetUp() override {
    CoInitialize(nullptr);
    install_folder_ = SpecialFolder(CSIDL_PROGRAM_FILES) + "\\Tarnwick";
    program_ = install_folder_ + "\\tarnwick.exe";
    // Wine's installer puts a per-machine package's shortcuts in the user's Start menu; Windows
    // puts them in the common one (CSIDL_COMMON_PROGRAMS).
    shortcut_ = SpecialFolder(CSIDL_PROGRAMS) + "\\Tarnwick.lnk";
    RemoveInstalls();
  }
  void TearDown() override {
    RemoveInstalls();
    RemoveLayoutMark();
    CoUninitialize();
  }

  // What a test that failed half way, here or in an earlier run, left installed.
  static void RemoveInstalls() {
    for (const UninstallEntry& left : TarnwickEntries()) Msiexec("/x", left.product_code);
  }

  // The installed program, README and shortcut, and exactly one Add/Remove Programs entry of
  // VERSION: its product code.
  std::string ExpectInstalled(const char* version, const char* packaged_program) {
    std::vector<UninstallEntry> entries = TarnwickEntries();
    EXPECT_EQ(entries.size(), 1u);
    if (entries.size() != 1) return {};
    EXPECT_EQ(entries[0].version, version);
    EXPECT_EQ(entries[0].publisher, "Tarn_Wick");
    EXPECT_EQ(entries[0].location, install_folder_ + "\\");
    std::vector<unsigned char> packaged = ReadFileBytes(packaged_program);
    EXPECT_FALSE(packaged.empty()) << packaged_program;
    EXPECT_TRUE(ReadFileBytes(program_) == packaged) << program_ << " differs from " << packaged_program;
    EXPECT_TRUE(Exists(install_folder_ + "\\README.txt"));
    EXPECT_EQ(lstrcmpiA(ShortcutTarget(shortcut_).c_str(), program_.c_str()), 0) << shortcut_;
    return entries[0].product_code;
  }

  std::string install_folder_;
  std::string program_;
  std::string shortcut_;
};

TEST_F(PackageTest, MsiInstallsUpgradesAndUninstallsKeepingTheStoredLayout) {
  ASSERT_EQ(Msiexec("/i", TW_MSI_FILE), 0u) << TW_MSI_FILE;
  std::string first_product = ExpectInstalled(TW_VERSION, TW_PACKAGED_PROGRAM);
  EXPECT_FALSE(CarriesDebugInformation(program_));

  {
    StartedProgram program(program_);
    ASSERT_TRUE(program.Started()) << program_ << " error " << program.StartError();
    HWND window = program.WaitForVisibleWindow("Tarnwick 1.1");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(program.CloseAndWait(window), 0u);
  }
  ASSERT_TRUE(StoreLayoutMark());

  ASSERT_EQ(Msiexec("/i", TW_UPGRADE_MSI_FILE), 0u) << TW_UPGRADE_MSI_FILE;
  std::string second_product = ExpectInstalled(TW_UPGRADE_VERSION, TW_UPGRADE_PROGRAM);
  EXPECT_NE(second_product, first_product);

  // The older package refuses to go over the newer version.
  EXPECT_NE(Msiexec("/i", TW_MSI_FILE), 0u);
  EXPECT_EQ(ExpectInstalled(TW_UPGRADE_VERSION, TW_UPGRADE_PROGRAM), second_product);

  ASSERT_EQ(Msiexec("/x", TW_UPGRADE_MSI_FILE), 0u);
  EXPECT_TRUE(TarnwickEntries().empty());
  EXPECT_FALSE(Exists(program_));
  EXPECT_FALSE(Exists(install_folder_));
  EXPECT_FALSE(Exists(shortcut_));
  EXPECT_EQ(LayoutMark(), "1");
}

TEST(PortablePackageTest, ZipUnpacksToAProgramThatStartsWithoutInstalling) {
  std::string unpacked = std::string(TW_UNPACKED_ZIP_DIR) + "\\";
  std::vector<unsigned char> packaged = ReadFileBytes(TW_PACKAGED_PROGRAM);
  EXPECT_FALSE(packaged.empty()) << TW_PACKAGED_PROGRAM;
  EXPECT_TRUE(ReadFileBytes(unpacked + "tarnwick.exe") == packaged) << "the zip's program differs";
  EXPECT_TRUE(Exists(unpacked + "README.txt"));

  StartedProgram program(unpacked + "tarnwick.exe");
  ASSERT_TRUE(program.Started()) << unpacked << " error " << program.StartError();
  HWND window = program.WaitForVisibleWindow("Tarnwick 1.1");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(program.CloseAndWait(window), 0u);
}

}  // namespace
