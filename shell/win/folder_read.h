#pragma once
// TFolderRead: reads a shell folder's items and their attributes on a thread of its own, so that
// a folder of 100,000 items or one slow to answer never holds up the message loop. The thread
// initialises COM for itself and binds the folder from a copy of its absolute id (ids are plain
// memory; the caller's folder object stays in the caller's apartment). The items wait in the
// read, and the window named at the start is posted a message whenever some are waiting; the
// message loop takes them out with Take. Cancel ends the read's dealings with the window: after
// it no message is posted, and what the thread still reads is freed with the read.

#include <shlobj.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "framework/win/com_ptr.h"
#include "shell/shell_item_id.h"

namespace tw {

struct TReadItem {
  ShellItemId id;
  // As GetAttributesOf answered for the attributes asked for.
  DWORD attributes = 0;
};

// Items the caller holds already, as the bytes of their ids one after another.
struct TKnownIds {
  std::string bytes;
  // Where each id ends in BYTES.
  std::vector<std::size_t> ends;
};

class TFolderRead {
public:
  // Binds the folder ABS_ID into FOLDER; called on the reading thread.
  using TBinder = std::function<HRESULT(const ItemIdList* abs_id, ComPtr<IShellFolder>& folder)>;

  struct TRequest {
    HWND window = nullptr;
    UINT message = 0;
    // The message's wParam, so that the window tells this read's messages from older ones.
    WPARAM tag = 0;
    // The SHCONTF_ flags for EnumObjects and the SFGAO_ bits asked of each item.
    DWORD flags = 0;
    DWORD attribute_request = 0;
    TBinder binder;
    // When given, an item with the very bytes of a known id is not handed over: the read only
    // notes that it met that id (a refresh of a folder of 100,000 items keeps the work of
    // matching and freeing them off the message loop).
    std::shared_ptr<const TKnownIds> known;
  };

  // Makes the reading thread for the folder ABS_ID; it reads once Go is called.
  static std::shared_ptr<TFolderRead> Start(const ItemIdList* abs_id, TRequest request);
  // Lets the thread read. The caller gives the word once it has done what it does right after
  // starting a read (the tree and the combo following the folder): Wine serialises file-system
  // calls, and those would wait behind the read's.
  void Go();

  TFolderRead(const TFolderRead&) = delete;
  TFolderRead& operator=(const TFolderRead&) = delete;

  // Moves the items read since the last call to the end of ITEMS; ready again for a message
  // after this. FINISHED is set once the read has ended and every item has been taken.
  void Take(std::vector<TReadItem>& items, bool& finished);
  // The read's outcome once finished: S_OK for a complete enumeration, else the failure.
  HRESULT Result() const;
  // Once finished: for each of the request's known ids, whether the read met it.
  std::vector<bool> MetKnownIds() const;
  void Cancel();

private:
  TFolderRead(ShellItemId abs_id, TRequest request);
  void Run();
  HRESULT Read();
  // Hands ITEMS over and tells the window, unless the read was cancelled.
  void Deliver(std::vector<TReadItem>& items);
  void Finish(HRESULT result);
  // With the lock held: posts the message unless one is already on its way.
  void Notify();

  ShellItemId abs_id_;
  TRequest request_;
  std::atomic<bool> cancelled_{false};
  mutable std::mutex lock_;
  std::condition_variable go_signal_;
  bool go_ = false;
  std::vector<TReadItem> waiting_;
  bool notified_ = false;
  bool finished_ = false;
  HRESULT result_ = S_OK;
  std::vector<bool> met_;
};

}  // namespace tw
