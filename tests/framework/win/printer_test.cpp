#include "framework/win/printer.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

class PrinterTest : public ::testing::Test {
protected:
  void SetUp() override {
    dc_ = CreateCompatibleDC(nullptr);
    printer_.SetDeviceContext(dc_);
  }
  void TearDown() override { DeleteDC(dc_); }
  HDC dc_ = nullptr;
  TPrinter printer_;
};

TEST_F(PrinterTest, CountsPagesOfAJobOnTheCallersDeviceContext) {
  printer_.SetTitle("doc");
  printer_.BeginDoc();
  EXPECT_TRUE(printer_.Printing());
  EXPECT_EQ(printer_.Handle(), dc_);
  EXPECT_EQ(printer_.PageNumber(), 1);
  printer_.NewPage();
  printer_.NewPage();
  EXPECT_EQ(printer_.PageNumber(), 3);
  printer_.EndDoc();
  EXPECT_FALSE(printer_.Printing());
  EXPECT_EQ(printer_.PageWidth(), GetDeviceCaps(dc_, HORZRES));
  EXPECT_EQ(printer_.PageHeight(), GetDeviceCaps(dc_, VERTRES));
}

TEST_F(PrinterTest, JobCallsOutOfOrderFail) {
  try {
    printer_.NewPage();
    FAIL() << "no exception";
  } catch (const EPrinter& e) {
    EXPECT_EQ(e.Message(), "Printer is not currently printing");
  }
  EXPECT_THROW(printer_.EndDoc(), EPrinter);
  printer_.BeginDoc();
  try {
    printer_.BeginDoc();
    FAIL() << "no exception";
  } catch (const EPrinter& e) {
    EXPECT_EQ(e.Message(), "Printing in progress");
  }
  EXPECT_THROW(printer_.SetDeviceContext(nullptr), EPrinter);
  printer_.Abort();
  EXPECT_TRUE(printer_.Aborted());
  EXPECT_FALSE(printer_.Printing());
}

}  // namespace
}  // namespace tw
