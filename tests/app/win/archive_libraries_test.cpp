#include "app/win/archive_libraries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tw {
namespace {

// An in-memory "file" for the decompressor's callbacks.
struct MemoryFile {
  std::vector<unsigned char> bytes;
  std::size_t position = 0;
};
MemoryFile* current_file = nullptr;

void* DIAMONDAPI Alloc(ULONG size) { return std::malloc(size); }
void DIAMONDAPI Free(void* block) { std::free(block); }
INT_PTR DIAMONDAPI Open(char*, int, int) { return reinterpret_cast<INT_PTR>(current_file); }
UINT DIAMONDAPI Read(INT_PTR hf, void* buffer, UINT count) {
  auto* file = reinterpret_cast<MemoryFile*>(hf);
  std::size_t n = std::min<std::size_t>(count, file->bytes.size() - file->position);
  std::memcpy(buffer, file->bytes.data() + file->position, n);
  file->position += n;
  return static_cast<UINT>(n);
}
UINT DIAMONDAPI Write(INT_PTR, void*, UINT) { return static_cast<UINT>(-1); }
int DIAMONDAPI Close(INT_PTR) { return 0; }
LONG DIAMONDAPI Seek(INT_PTR hf, LONG distance, int origin) {
  auto* file = reinterpret_cast<MemoryFile*>(hf);
  std::size_t base = origin == SEEK_SET ? 0 : origin == SEEK_CUR ? file->position : file->bytes.size();
  file->position = std::min<std::size_t>(base + static_cast<std::size_t>(distance), file->bytes.size());
  return static_cast<LONG>(file->position);
}

// The fixed header of an empty cabinet: "MSCF", sizes and offsets, version 1.3, no folders
// and no files.
std::vector<unsigned char> EmptyCabinetHeader() {
  std::vector<unsigned char> h(36, 0);
  std::memcpy(h.data(), "MSCF", 4);
  h[8] = 36;   // cbCabinet
  h[16] = 36;  // coffFiles
  h[24] = 3;   // versionMinor
  h[25] = 1;   // versionMajor
  return h;
}

// Asks CABINET whether BYTES are a cabinet, through its own entries.
bool IsCabinet(TCabinetLibrary& cabinet, std::vector<unsigned char> bytes, ERF& error) {
  MemoryFile file{std::move(bytes)};
  current_file = &file;
  HFDI context = cabinet.FDICreate(&Alloc, &Free, &Open, &Read, &Write, &Close, &Seek, cpuUNKNOWN, &error);
  if (!context) return false;
  FDICABINETINFO info{};
  bool result = cabinet.FDIIsCabinet(context, reinterpret_cast<INT_PTR>(&file), &info) != FALSE;
  EXPECT_TRUE(cabinet.FDIDestroy(context));
  return result;
}

TEST(ArchiveLibrariesTest, SystemCabinetLibraryIsBoundAndReadsCabinets) {
  TCabinetLibrary cabinet;
  cabinet.Bind();
  ASSERT_TRUE(cabinet.Loaded());
  ERF error{};
  EXPECT_TRUE(IsCabinet(cabinet, EmptyCabinetHeader(), error));
  std::vector<unsigned char> not_a_cabinet = EmptyCabinetHeader();
  not_a_cabinet[0] = 'X';
  EXPECT_FALSE(IsCabinet(cabinet, not_a_cabinet, error));
}

TEST(ArchiveLibrariesTest, MissingLibraryGetsEntriesThatFailWithoutDoingAnything) {
  UINT mode_before = SetErrorMode(0);
  SetErrorMode(mode_before);
  TCabinetLibrary cabinet("tarnwick-no-such-cabinet.dll");
  cabinet.Bind();
  EXPECT_FALSE(cabinet.Loaded());
  // Loading changed the process's error mode only while it ran.
  EXPECT_EQ(SetErrorMode(mode_before), mode_before);
  ERF error{};
  EXPECT_FALSE(IsCabinet(cabinet, EmptyCabinetHeader(), error));
  EXPECT_TRUE(error.fError);
  EXPECT_EQ(error.erfOper, FDIERROR_CABINET_NOT_FOUND);
  EXPECT_FALSE(cabinet.FDICopy(nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr));

  TUnRarLibrary unrar("tarnwick-no-such-unrar.dll");
  unrar.Bind();
  EXPECT_FALSE(unrar.Loaded());
  EXPECT_EQ(unrar.RARGetDllVersion(), 0);
  EXPECT_EQ(unrar.RAROpenArchive(nullptr), nullptr);
  EXPECT_EQ(unrar.RARReadHeader(nullptr, nullptr), ERAR_END_ARCHIVE);
  EXPECT_EQ(unrar.RARProcessFile(nullptr, 0, nullptr, nullptr), ERAR_EOPEN);
  EXPECT_EQ(unrar.RARCloseArchive(nullptr), 0);
}

TEST(ArchiveLibrariesTest, LibraryWithoutTheEntriesGetsDoNothingEntries) {
  // kernel32 is there but has none of the decompressor's entries.
  TCabinetLibrary cabinet("kernel32.dll");
  cabinet.Bind();
  EXPECT_TRUE(cabinet.Loaded());
  ERF error{};
  EXPECT_FALSE(IsCabinet(cabinet, EmptyCabinetHeader(), error));
  EXPECT_EQ(error.erfOper, FDIERROR_CABINET_NOT_FOUND);
}

TEST(ArchiveLibrariesTest, ReleaseUnloadsAndPutsTheDoNothingEntriesBack) {
  TCabinetLibrary cabinet;
  cabinet.Bind();
  ASSERT_TRUE(cabinet.Loaded());
  auto bound = cabinet.FDICreate;
  cabinet.Release();
  EXPECT_FALSE(cabinet.Loaded());
  EXPECT_NE(cabinet.FDICreate, bound);
  ERF error{};
  EXPECT_FALSE(IsCabinet(cabinet, EmptyCabinetHeader(), error));
  // Binding again after a release works.
  cabinet.Bind();
  EXPECT_TRUE(IsCabinet(cabinet, EmptyCabinetHeader(), error));
}

TEST(ArchiveLibrariesTest, TheProgramsPairUnloadsTheCabinetLibraryWhenItGoes) {
  HMODULE before = GetModuleHandleA("cabinet.dll");
  {
    TArchiveLibraries libraries;
    EXPECT_TRUE(libraries.Cabinet.Loaded());
    EXPECT_NE(GetModuleHandleA("cabinet.dll"), nullptr);
    // unrar.dll is no part of the system; where it is missing its entries still answer.
    if (!libraries.UnRar.Loaded()) {
      EXPECT_EQ(libraries.UnRar.RARGetDllVersion(), 0);
    }
  }
  EXPECT_EQ(GetModuleHandleA("cabinet.dll"), before);
}

}  // namespace
}  // namespace tw
