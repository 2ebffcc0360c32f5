// The capture rule's chat notices into the lobby's session, apart from
// connect.cpp because the turn report's colour names clash with the controls'.
#include "game/capture.h"
#include "ui/windows.h"

namespace kordalt {

void ConnectSendAllMessage(const std::string& text, uint32_t colour);

namespace {

class TCaptureChat final : public TCaptureUi {
public:
    void SendAllMessage(const std::string& text, TColor color) override {
        ConnectSendAllMessage(text, color);
    }
    void ShowLocalDefeat() override {
        if (previous) previous->ShowLocalDefeat();
    }
    TCaptureUi* previous = nullptr;
};

TCaptureChat captureChat;

}  // namespace

void InstallCaptureChat(bool on) {
    if (on)
        captureChat.previous = SetCaptureUi(&captureChat);
    else
        SetCaptureUi(captureChat.previous);
}

}  // namespace kordalt
