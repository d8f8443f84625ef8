#include "app/win/program_setup.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/win/archive_libraries.h"
#include "framework/exception.h"
#include "framework/win/platform_pictures.h"
#include "shell/win/shell_process.h"
#include "viewers/win/gif_image_win.h"
#include "viewers/win/jpeg_image.h"
#include "viewers/win/rich_edit.h"
#include "viewers/win/wic_image.h"

namespace tw {

TProgramSetup::TProgramSetup() {
  INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_COOL_CLASSES};
  InitCommonControlsEx(&classes);
  InitShellUtilities();
  InitShellControls();
  com_initialised_ = SUCCEEDED(CoInitialize(nullptr));
  InitRichEdit();
  RegisterPlatformPictureFormats();
  RegisterJPEGImage();
  InitGifImageModule();
  // Without the imaging component the program still shows the formats it decodes itself.
  try {
    RegisterImagingFormats();
  } catch (const Exception&) {
  }
  archives_ = std::make_unique<TArchiveLibraries>();
}

TProgramSetup::~TProgramSetup() {
  archives_.reset();
  DoneGifImageModule();
  if (com_initialised_) CoUninitialize();
  DoneShellControls();
}

}  // namespace tw
