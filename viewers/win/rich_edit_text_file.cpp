// Plain-text files in their own encodings: read whole into the editor's UTF-16 text (the first
// slice at once, the rest from the message loop) and written back in the encoding, byte order
// mark and line breaks they came in.
#include <typeinfo>

#include "framework/exception.h"
#include "framework/string_table.h"
#include "viewers/wide_text_slices.h"
#include "viewers/win/rich_edit.h"
#include "viewers/win/rich_edit_control.h"
#include "viewers/win/rich_edit_loader.h"
#include "viewers/win/text_file.h"

namespace tw {

bool TRichEditStrings::IsTextFileTransfer(WPARAM flags) const {
  // A conversion of its own decides the bytes itself; the oldest control takes no UTF-16.
  const bool plain_copy = !conversion_ || typeid(*conversion_) == typeid(TConversion);
  return !(flags & (SF_RTF | SFF_SELECTION)) && plain_copy && RichEditLevel() >= 2;
}

void TRichEditStrings::LoadTextFile(TStream& file, const std::string& file_name, WPARAM flags) {
  TTextFile text = ReadTextFile(file, RoomForLoad(flags), true);
  editor_.DropLongText();
  const std::size_t first = WideSliceEnd(text.Text, 0, kLoadSlice / 2);
  if (!StreamWideIntoControl(editor_.Handle(), std::u16string_view(text.Text).substr(0, first)))
    throw EOutOfResources(LoadStr(SLoadStreamFailed));
  editor_.text_format_ = text.Format;
  editor_.truncated_ = false;
  editor_.truncated_file_.clear();
  editor_.SetSelection(0, 0, true);
  if (first < text.Text.size()) {
    editor_.StartLoad(std::make_unique<TRichEditLoader>(editor_, std::move(text.Text), first, file_name, text.Cut));
    return;
  }
  SendMessageA(editor_.Handle(), EM_EMPTYUNDOBUFFER, 0, 0);
  editor_.SetModified(false);
  if (text.Cut) {
    editor_.truncated_ = true;
    editor_.truncated_file_ = file_name;
  }
}

std::string TRichEditStrings::EncodedTextFile() const {
  std::string bytes, unrepresentable;
  if (!EncodeTextFile(WideControlText(editor_.Handle()), editor_.text_format_, bytes, &unrepresentable))
    throw EInvalidOperation(
        FmtLoadStr(STextUnrepresentable, TextEncodingName(editor_.text_format_), unrepresentable));
  return bytes;
}

bool TTwCustomRichEdit::TextFitsItsFormat(std::string* unrepresentable) {
  // The Unicode forms hold every character: only a legacy code page needs the text.
  if (text_format_.Encoding != TTextEncoding::Legacy) return true;
  FinishLoad();
  std::string bytes;
  return EncodeTextFile(WideControlText(Handle()), text_format_, bytes, unrepresentable);
}

}  // namespace tw
