#include "viewers/win/imaging_decoder.h"

#include <windows.h>
#include <initguid.h>
#include <wincodec.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "framework/exception.h"
#include "framework/string_table.h"
#include "framework/win/com_ptr.h"

namespace tw {
namespace {

// A picture no decoder takes has a message of its own; other failures the system's text for HR
// when it has one (Wine has none for the imaging component's codes), else the code.
[[noreturn]] void ImagingFailure(HRESULT hr) {
  if (hr == WINCODEC_ERR_UNKNOWNIMAGEFORMAT) throw EInvalidGraphic(LoadStr(SImagingUnknownFormat));
  char* text = nullptr;
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message(text ? text : "", length);
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  if (message.empty()) message = FmtLoadStr(SImagingFailed, static_cast<unsigned>(hr));
  throw EInvalidGraphic(message);
}

void Check(HRESULT hr) {
  if (FAILED(hr)) ImagingFailure(hr);
}

ComPtr<IWICImagingFactory> Factory() {
  ComPtr<IWICImagingFactory> factory;
  Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                         factory.ReceiveVoid()));
  return factory;
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out.push_back(c < 128 ? static_cast<char>(c) : '?');
  return out;
}

}  // namespace

TDib DecodeWithImaging(const void* data, std::size_t size, bool premultiplied) {
  if (static_cast<std::uint64_t>(size) > 0xFFFFFFFFu) throw EInvalidGraphic(LoadStr(SBitmapTooLarge));
  ComPtr<IWICImagingFactory> factory = Factory();
  ComPtr<IWICStream> stream;
  Check(factory->CreateStream(stream.Receive()));
  Check(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), static_cast<DWORD>(size)));
  ComPtr<IWICBitmapDecoder> decoder;
  Check(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Receive()));
  ComPtr<IWICBitmapFrameDecode> frame;
  Check(decoder->GetFrame(0, frame.Receive()));
  UINT width = 0, height = 0;
  Check(frame->GetSize(&width, &height));
  // The header's size is checked before the decoder makes a single pixel; a picture without
  // pixels has nothing to show (and no last row to turn the rows around on).
  if (width == 0 || height == 0) throw EInvalidGraphic(LoadStr(SInvalidImage));
  if (!DecodedPictureFits(width, height, 32)) throw EInvalidGraphic(LoadStr(SBitmapTooLarge));
  ComPtr<IWICFormatConverter> converter;
  Check(factory->CreateFormatConverter(converter.Receive()));
  Check(converter->Initialize(frame.Get(), premultiplied ? GUID_WICPixelFormat32bppPBGRA : GUID_WICPixelFormat32bppBGRA,
                              WICBitmapDitherTypeNone, nullptr, 0.0, WICBitmapPaletteTypeCustom));
  TDib pixels(static_cast<int>(width), static_cast<int>(height), 32);
  const auto stride = static_cast<UINT>(pixels.Stride());
  Check(converter->CopyPixels(nullptr, stride, static_cast<UINT>(pixels.ImageSize()), pixels.Bits()));
  // The decoder delivers the rows from the top; a TDib keeps them from the bottom.
  std::vector<std::uint8_t> row(stride);
  for (UINT top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
    std::uint8_t* a = pixels.Bits() + std::size_t{top} * stride;
    std::uint8_t* b = pixels.Bits() + std::size_t{bottom} * stride;
    std::memcpy(row.data(), a, stride);
    std::memcpy(a, b, stride);
    std::memcpy(b, row.data(), stride);
  }
  return pixels;
}

namespace {

// A string of the decoder's information, read with its length first.
template <class Getter>
std::string InfoText(Getter get) {
  UINT length = 0;
  if (FAILED(get(0, nullptr, &length)) || length == 0) return {};
  std::wstring text(length, L'\0');
  if (FAILED(get(length, text.data(), &length))) return {};
  text.resize(wcsnlen(text.c_str(), text.size()));
  return Narrow(text);
}

}  // namespace

std::vector<TImagingExtension> ImagingDecoderExtensions() {
  std::vector<TImagingExtension> extensions;
  ComPtr<IWICImagingFactory> factory = Factory();
  ComPtr<IEnumUnknown> components;
  Check(factory->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault, components.Receive()));
  for (;;) {
    ComPtr<IUnknown> component;
    ULONG fetched = 0;
    if (components->Next(1, component.Receive(), &fetched) != S_OK || fetched == 0) break;
    ComPtr<IWICBitmapDecoderInfo> info;
    if (FAILED(component->QueryInterface(IID_IWICBitmapDecoderInfo, info.ReceiveVoid()))) continue;
    const std::string name = InfoText([&](UINT n, WCHAR* t, UINT* got) { return info->GetFriendlyName(n, t, got); });
    // A list such as ".tiff,.tif"; some decoders separate with semicolons.
    const std::string list =
        InfoText([&](UINT n, WCHAR* t, UINT* got) { return info->GetFileExtensions(n, t, got); });
    std::size_t start = 0;
    while (start < list.size()) {
      std::size_t end = list.find_first_of(",;", start);
      if (end == std::string::npos) end = list.size();
      std::string ext = list.substr(start, end - start);
      ext.erase(0, ext.find_first_not_of(" ."));
      while (!ext.empty() && ext.back() == ' ') ext.pop_back();
      std::transform(ext.begin(), ext.end(), ext.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      const bool known = std::any_of(extensions.begin(), extensions.end(),
                                     [&](const TImagingExtension& e) { return e.Extension == ext; });
      if (!ext.empty() && !known) extensions.push_back({ext, name});
      start = end + 1;
    }
  }
  return extensions;
}

}  // namespace tw
