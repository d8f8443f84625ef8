#pragma once
// TPTShellLocator designates one place of the shell namespace: a special folder by its CSIDL
// number (resolved on demand) or an explicit absolute item identifier list. Its owning control
// gives it a change handler, called whenever the designated place really changes. It stores
// itself in the component stream as the binary property "Pidl":
//   kind byte (0 list, non-zero special folder), then either the CSIDL byte, or a 4-byte
//   little-endian length L and the L bytes of the list, terminator included.

#include <cstdint>
#include <string>

#include "framework/events.h"
#include "framework/persistent.h"
#include "shell/shell_item_id.h"

namespace tw {

class TStream;

class TPTShellLocator : public TPersistent {
public:
  enum TKind : std::uint8_t { lkIdList = 0, lkSpecialFolder = 1 };
  // The special folder number an explicitly set id carries.
  static constexpr std::uint8_t kNoSpecialFolder = 28;

  explicit TPTShellLocator(TNotifyEvent on_change = {}) : on_change_(std::move(on_change)) {}
  TPTShellLocator(const TPTShellLocator&) = delete;
  TPTShellLocator& operator=(const TPTShellLocator&) = delete;

  std::string ClassName() const override { return "TPTShellLocator"; }

  TKind Kind() const { return kind_; }
  std::uint8_t SpecialFolder() const { return special_folder_; }
  void SetOnChange(TNotifyEvent on_change) { on_change_ = std::move(on_change); }

  // The designated absolute id, borrowed (null = the desktop). A special folder is resolved on
  // the first call; one the shell cannot resolve gives null.
  const ItemIdList* GetIdList();
  // The file-system path of the place; empty when it has none.
  std::string GetPath();
  // Designates ID (borrowed, copied; null or empty = the desktop).
  void SetIdList(const ItemIdList* id);
  void Clear() { SetIdList(nullptr); }

  bool Equal(const TPTShellLocator& other) const;
  void Assign(const TPersistent& source) override;
  // Assign with no source: drops a held id (back to the desktop) and notifies.
  void Assign(const TPersistent* source);
  void DefineProperties(TFiler& filer) override;

  // The "Pidl" record. A record that is cut short, or whose list runs past its stated length,
  // fails with EReadError; the locator then keeps what it held.
  void ReadPidl(TStream& stream);
  void WritePidl(TStream& stream) const;

protected:
  virtual void Changed();

private:
  bool HasData() const { return id_ || kind_ == lkSpecialFolder; }

  TKind kind_ = lkIdList;
  ShellItemId id_;
  std::uint8_t special_folder_ = kNoSpecialFolder;
  TNotifyEvent on_change_;
};

}  // namespace tw
