// The built program started as a user starts it: its windows appear with their titles, and
// closing the main window ends the process cleanly through the whole shutdown.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/win/started_program.h"

namespace {

using tw::test::StartedProgram;

TEST(ProgramTest, TheReadmeThatAboutOpensLiesBesideTheProgram) {
  std::string program = TW_PROGRAM_FILE;
  std::string readme = program.substr(0, program.find_last_of("\\/:") + 1) + "README.txt";
  DWORD attributes = GetFileAttributesA(readme.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << readme;
  HANDLE file = CreateFileA(readme.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char head[10] = {};
  DWORD read = 0;
  ReadFile(file, head, 9, &read, nullptr);
  CloseHandle(file);
  EXPECT_STREQ(head, "# Tarnwic");
}

TEST(ProgramTest, OpensItsWindowAndEndsCleanlyWhenItCloses) {
  StartedProgram program(TW_PROGRAM_FILE);
  ASSERT_TRUE(program.Started()) << TW_PROGRAM_FILE << " error " << program.StartError();

  HWND main_window = program.WaitForVisibleWindow("Tarnwick 1.1");
  ASSERT_NE(main_window, nullptr);
  EXPECT_NE(program.TopLevelWindow("Tarnwick 1.0"), nullptr);
  EXPECT_TRUE(IsZoomed(main_window));
  EXPECT_EQ(program.CloseAndWait(main_window), 0u);
}

}  // namespace
