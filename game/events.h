// events.h — the program's own event types and window ids.
//
// All are command events numbered from the GUI library's first user event
// type (12000). WordEvents carry the WordCode in the integer payload and are
// always queued (AddPendingEvent / QueueEvent) to the GameWindow, id 5999.
#pragma once

#include <wx/event.h>

constexpr wxEventType kWordEvent = 12000;           // id kGameWindowId, int = WordCode
constexpr wxEventType kListenStartedEvent = 12002;  // id = listening thread id
constexpr wxEventType kListenEndedEvent = 12004;
constexpr wxEventType kHelpToggleEvent = 12012;     // int 0
constexpr wxEventType kHelpLinkEvent = 12013;       // id 0, string = link target

constexpr int kGameWindowId = 5999;
constexpr int kBoardControlId = 6000;
constexpr int kMeterTimerId = 10080;
