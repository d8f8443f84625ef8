#include "shell/win/wide_text.h"

#include <windows.h>

namespace tw {

bool ToWidePath(const std::string& text, std::wstring& path) {
  path = ToWide(text);
  return path.size() <= MAX_PATH;
}

}  // namespace tw
