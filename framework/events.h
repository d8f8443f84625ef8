#pragma once
// Event types shared across the class library. Events are std::function members; an empty
// function is an unassigned event.

#include <cstdint>
#include <functional>
#include <string>

#include "framework/object.h"
#include "framework/types.h"

namespace tw {

using TNotifyEvent = std::function<void(TObject* sender)>;

enum TProgressStage { psStarting, psRunning, psEnding };

// Progress of a long picture operation: the stage, the percentage done, whether the picture
// should be redrawn now, the part of it that changed, and a text for the user.
using TProgressEvent =
    std::function<void(TObject* sender, TProgressStage stage, std::uint8_t percent_done,
                       bool redraw_now, const TRect& r, const std::string& msg)>;

}  // namespace tw
