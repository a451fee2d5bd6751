#pragma once
// What every request worker posts to its receiver, whichever control it
// serves: the message numbers they share and the records those messages
// carry. A posted record belongs to the receiving handler from the moment
// it is posted.

#include "generic/VkPostedMessage.h"
#include "platform/WinTypes.h"

#include <string>

constexpr UINT TWM_STATUS = WM_USER + 1000;     // 0, TwStatusRecord
constexpr UINT TWM_QUEUE = WM_USER + 1002;      // request kind, TwTextRecord or none
constexpr UINT TWM_VERSION = WM_USER + 1008;    // 0, TwTextRecord
constexpr UINT TWM_SERVERTIME = WM_USER + 1009; // 0, TwDateRecord

// Status bar images.
enum TwStatusImage : LONG {
    IDB_TW_KEEP = 0,
    IDB_TW_CONNECTING = 221, // 5 frames, bouncing
    IDB_TW_DONE = 222,
    IDB_TW_NOT_CONNECTED = 223,
    IDB_TW_BUSY = 225,       // 4 frames, wrapping
    IDB_TW_NO_CLIENT = 2005,
};

class TwStatusRecord : public VkMessageRecord {
public:
    bool m_animate = false;
    bool m_bounce = false;  // runs forward and back instead of wrapping
    std::string m_text;     // status pane text and tip
    LONG m_image = IDB_TW_KEEP;
    LONG m_frames = 1;      // frames side by side in the image
    std::string m_tip;      // tip of the image pane
};

class TwTextRecord : public VkMessageRecord {
public:
    explicit TwTextRecord(std::string text) : m_text(std::move(text)) {}
    std::string m_text;
};

// An automation date.
class TwDateRecord : public VkMessageRecord {
public:
    explicit TwDateRecord(DATE date) : m_date(date) {}
    DATE m_date;
};
