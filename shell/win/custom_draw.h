#pragma once
// The drawing settings handed to the custom-draw events of the shell views, made for one
// NM_CUSTOMDRAW notification. A handler changes Font or Brush (or sets SkipDefault); Apply
// turns that into the notification's answer and the record's colours.

#include <windows.h>
#include <commctrl.h>

#include "framework/win/canvas.h"

namespace tw {

class TPTCustomDraw {
public:
  // Stages as Stage() reports them.
  enum : int { cdsPrePaint = 1, cdsPostPaint = 2, cdsItemPrePaint = 4, cdsItemPostPaint = 5 };

  // NOTIFICATION and RESULT stay borrowed; CONTROL_FONT is the control's Font.
  TPTCustomDraw(NMCUSTOMDRAW& notification, LRESULT& result, const TFont& control_font);
  virtual ~TPTCustomDraw() = default;
  TPTCustomDraw(const TPTCustomDraw&) = delete;
  TPTCustomDraw& operator=(const TPTCustomDraw&) = delete;

  NMCUSTOMDRAW& Notification() const { return notification_; }
  const TFont& ControlFont() const { return control_font_; }
  // 1 pre-paint, 2 post-paint, 4 item pre-paint, 5 item post-paint, 0 any other stage.
  int Stage() const;
  // A copy of the control font in the context's current text colour.
  TFont& Font() { return font_; }
  // A solid brush in the context's current background colour.
  TBrush& Brush() { return brush_; }
  bool FontChanged() const { return font_changed_; }
  bool BrushChanged() const { return brush_changed_; }

  // Whether the pre-paint answer asks for item notifications.
  bool NotifyItems = false;
  // Whether the control should not draw the item itself.
  bool SkipDefault = false;

  // Writes the answer: item notifications at pre-paint when asked; at item pre-paint either
  // CDRF_SKIPDEFAULT alone, or the changed font (selected when it is not the context's
  // already, with CDRF_NEWFONT) and colours written into the record.
  void Apply();

protected:
  // The extended record's text and text-background colour fields.
  virtual void SetTextColor(COLORREF color) = 0;
  virtual void SetTextBkColor(COLORREF color) = 0;

private:
  NMCUSTOMDRAW& notification_;
  LRESULT& result_;
  const TFont& control_font_;
  TFont font_;
  TBrush brush_;
  bool font_changed_ = false;
  bool brush_changed_ = false;
};

class TPTTvCustomDraw : public TPTCustomDraw {
public:
  TPTTvCustomDraw(NMTVCUSTOMDRAW& notification, LRESULT& result, const TFont& control_font)
      : TPTCustomDraw(notification.nmcd, result, control_font), record_(notification) {
    NotifyItems = true;
  }
  NMTVCUSTOMDRAW& Record() const { return record_; }

protected:
  void SetTextColor(COLORREF color) override { record_.clrText = color; }
  void SetTextBkColor(COLORREF color) override { record_.clrTextBk = color; }

private:
  NMTVCUSTOMDRAW& record_;
};

class TPTLvCustomDraw : public TPTCustomDraw {
public:
  TPTLvCustomDraw(NMLVCUSTOMDRAW& notification, LRESULT& result, const TFont& control_font)
      : TPTCustomDraw(notification.nmcd, result, control_font), record_(notification) {}
  NMLVCUSTOMDRAW& Record() const { return record_; }

protected:
  void SetTextColor(COLORREF color) override { record_.clrText = color; }
  void SetTextBkColor(COLORREF color) override { record_.clrTextBk = color; }

private:
  NMLVCUSTOMDRAW& record_;
};

}  // namespace tw
