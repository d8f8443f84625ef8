#include <windows.h>
#include <cguid.h>
#include <richole.h>

#include <gtest/gtest.h>

#include <vector>

#include "framework/win/com_ptr.h"
#include "framework/win/ole_error.h"
#include "tests/viewers/win/rich_edit_test_support.h"
#include "viewers/win/rich_edit_ole_callback.h"

namespace tw {
namespace {

using test::RichEditTest;

// {5C1A8B72-3E0D-4F51-9A66-0D2B7E4C9F10}: a class no server is registered for; what the callback
// answers depends on when it is asked, not on the class.
constexpr CLSID kServerClass = {0x5c1a8b72, 0x3e0d, 0x4f51, {0x9a, 0x66, 0x0d, 0x2b, 0x7e, 0x4c, 0x9f, 0x10}};

// Rich text that asks the editor's callback, while the control reads it, whether objects of the
// two classes may come in; the answers are kept.
class AskingStream : public TMemoryStream {
public:
  explicit AskingStream(TRichEditOleCallback& callback) : callback_(callback) {
    WriteBuffer("{\\rtf1 text}", 12);
    SetPosition(0);
  }
  std::int64_t Read(void* buffer, std::int64_t count) override {
    CLSID server = kServerClass;
    CLSID picture = CLSID_Picture_Dib;
    answers.push_back(callback_.QueryInsertObject(&server, nullptr, 0));
    answers.push_back(callback_.QueryInsertObject(&picture, nullptr, 0));
    return TMemoryStream::Read(buffer, count);
  }
  std::vector<HRESULT> answers;

private:
  TRichEditOleCallback& callback_;
};

TEST_F(RichEditTest, ObjectsOfATextBeingReadAreRefusedButStaticPictures) {
  TRichEditOleCallback& callback = *edit_->OleCallback();
  AskingStream stream(callback);
  edit_->Lines().LoadStream(stream);
  ASSERT_GE(stream.answers.size(), 2u);
  EXPECT_EQ(stream.answers[0], S_FALSE) << "a file's object would start its server";
  EXPECT_EQ(stream.answers[1], S_OK) << "a static picture has no server";
  // What the user pastes or drops is taken.
  CLSID server = kServerClass;
  EXPECT_EQ(callback.QueryInsertObject(&server, nullptr, 0), S_OK);
  EXPECT_FALSE(edit_->ReadingForeignText());
}

TEST_F(RichEditTest, ObjectsGetWritableStorageInMemory) {
  ComPtr<IStorage> storage;
  ASSERT_EQ(edit_->OleCallback()->GetNewStorage(storage.Receive()), S_OK);
  ComPtr<IStream> stream;
  ASSERT_EQ(storage->CreateStream(L"Contents", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                  stream.Receive()),
            S_OK);
  ULONG written = 0;
  EXPECT_EQ(stream->Write("abc", 3, &written), S_OK);
  EXPECT_EQ(written, 3u);
}

TEST_F(RichEditTest, AllowObjectsDecidesWhetherTheControlHoldsObjects) {
  ASSERT_NE(edit_->RichEditOle(), nullptr);
  EXPECT_EQ(edit_->RichEditOle()->GetObjectCount(), 0);
  edit_->SetAllowObjects(false);
  EXPECT_EQ(edit_->RichEditOle(), nullptr);
  edit_->SetAllowObjects(true);
  EXPECT_NE(edit_->RichEditOle(), nullptr);
}

TEST(OleErrorTest, FailureCodesRaiseWithTheSystemsTextOrTheCode) {
  EXPECT_NO_THROW(OleCheck(S_FALSE));
  try {
    OleCheck(E_OUTOFMEMORY);
    FAIL() << "no exception";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode(), E_OUTOFMEMORY);
    EXPECT_NE(e.Message().find("memory"), std::string::npos) << e.Message();
  }
  try {
    OleCheck(static_cast<HRESULT>(0x8004FF7B));
    FAIL() << "no exception";
  } catch (const EOleError& e) {
    EXPECT_EQ(e.Message(), "OLE error 8004ff7b");
  }
}

}  // namespace
}  // namespace tw
