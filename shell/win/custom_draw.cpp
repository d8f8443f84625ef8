#include "shell/win/custom_draw.h"

namespace tw {

TPTCustomDraw::TPTCustomDraw(NMCUSTOMDRAW& notification, LRESULT& result,
                             const TFont& control_font)
    : notification_(notification), result_(result), control_font_(control_font) {
  brush_.SetColor(static_cast<TColor>(GetBkColor(notification.hdc)));
  font_.Assign(control_font);
  font_.SetColor(static_cast<TColor>(GetTextColor(notification.hdc)));
  // Only a handler's changes count, not the set-up above.
  brush_.OnChange = [this](TObject*) { brush_changed_ = true; };
  font_.OnChange = [this](TObject*) { font_changed_ = true; };
}

int TPTCustomDraw::Stage() const {
  switch (notification_.dwDrawStage) {
    case CDDS_PREPAINT:
      return cdsPrePaint;
    case CDDS_POSTPAINT:
      return cdsPostPaint;
    case CDDS_ITEMPREPAINT:
      return cdsItemPrePaint;
    case CDDS_ITEMPOSTPAINT:
      return cdsItemPostPaint;
    default:
      return 0;
  }
}

void TPTCustomDraw::Apply() {
  result_ = 0;
  switch (Stage()) {
    case cdsPrePaint:
      if (NotifyItems) result_ |= CDRF_NOTIFYITEMDRAW;
      break;
    case cdsItemPrePaint:
      if (SkipDefault) {
        result_ |= CDRF_SKIPDEFAULT;
        break;
      }
      if (font_changed_) {
        HFONT handle = font_.Handle();
        if (handle != GetCurrentObject(notification_.hdc, OBJ_FONT)) {
          SelectObject(notification_.hdc, handle);
          result_ |= CDRF_NEWFONT;
        }
        SetTextColor(ColorToRGB(font_.Color()));
      }
      if (brush_changed_) SetTextBkColor(ColorToRGB(brush_.Color()));
      break;
    default:
      break;
  }
}

}  // namespace tw
