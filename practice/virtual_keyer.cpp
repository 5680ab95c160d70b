#include "practice/virtual_keyer.h"

#include "keyer/winkeyer_protocol.h"

#include <algorithm>

namespace corvatta::practice {

using namespace keyer;

namespace {

// Commands the program does not send, named for the keyer's answers.
constexpr std::uint8_t kAdminReset = 0x01;
constexpr std::uint8_t kGetSpeedPot = 0x07;
constexpr std::uint8_t kBackspace = 0x08;
constexpr std::uint8_t kLoadDefaults = 0x0F;
constexpr std::uint8_t kRequestStatus = 0x15;
constexpr std::uint8_t kPointerCommand = 0x16;
constexpr std::uint8_t kPotReport = 0x80;
constexpr int kMaxPotPosition = 63;
constexpr int kPowerUpSpeed = 20;

// The parameter bytes after each command byte below 0x20, so that a
// command the keyer only stores or passes over is never taken for text.
// The admin command takes a sub-command first, the pointer command a
// sub-command that may take one more.
// clang-format off
constexpr int kParameters[32] = {
    1, 1, 1, 1, 2, 3, 1, 0,   // admin sidetone speed weight PTT pot-setup pause get-pot
    0, 1, 0, 1, 1, 1, 1, 15,  // backspace pins clear key-immediate HSCW Farnsworth mode defaults
    1, 1, 1, 0, 1, 0, 1, 1,   // 1st-extension compensation switchpoint null paddle status pointer ratio
    1, 1, 1, 2, 1, 1, 0, 0,   // PTT key-buffered wait merge speed HSCW-buffered cancel-speed nop
};
// clang-format on

int AdminParameters(std::uint8_t sub) {
    switch (sub) {
        case 0x00:  // calibrate
        case kAdminEcho:
        case 0x0E:  // send a stored message
        case 0x0F:  // load the extended mode
            return 1;
        default:
            return 0;
    }
}

int KeyerWpm(int wpm) {
    return std::clamp(wpm, kMinWpm, kMaxWpm);
}

}  // namespace

VirtualKeyer::VirtualKeyer(std::uint8_t version) : version_(version), speed_(kPowerUpSpeed) {}

void VirtualKeyer::Receive(const QByteArray& bytes, double time) {
    AdvanceTo(time);
    for (const char c : bytes) {
        Feed(static_cast<std::uint8_t>(c));
    }
    StartDue();
}

void VirtualKeyer::AdvanceTo(double time) {
    now_ = std::max(now_, time);
    StartDue();
}

std::vector<KeyerReply> VirtualKeyer::TakeReplies(double time) {
    AdvanceTo(time);
    std::vector<KeyerReply> due;
    while (!replies_.empty() && replies_.front().time <= now_) {
        due.push_back(replies_.front());
        replies_.pop_front();
    }
    return due;
}

double VirtualKeyer::NextEventTime() const {
    double next = replies_.empty() ? kKeyHeld : replies_.front().time;
    if (run_) {
        // The next character's start, or idle when the buffer is empty.
        next = std::min(next, run_->End());
    }
    return next;
}

int VirtualKeyer::KeyingWpm() const {
    if (run_) {
        return run_->CurrentWpm();
    }
    return bufferedSpeed_ > 0 ? bufferedSpeed_ : speed_;
}

QString VirtualKeyer::KeyedText() const {
    QString text = keyedText_;
    for (const auto& [keyed, c] : runCharacters_) {
        if (keyed <= now_) {
            text += c;
        }
    }
    return text;
}

void VirtualKeyer::Reply(std::uint8_t byte, double time) {
    const auto at = std::upper_bound(replies_.begin(), replies_.end(), time,
                                     [](double t, const KeyerReply& r) { return t < r.time; });
    replies_.insert(at, KeyerReply{time, byte});
}

// ---- The host's bytes -------------------------------------------------------

void VirtualKeyer::Feed(std::uint8_t byte) {
    if (!command_.empty()) {
        command_.push_back(byte);
        const bool subCommand = command_.size() == 2;
        if (subCommand && command_[0] == kAdmin) {
            parametersNeeded_ = AdminParameters(byte);
        } else if (subCommand && command_[0] == kPointerCommand) {
            parametersNeeded_ = byte == 0 ? 0 : 1;
        } else {
            --parametersNeeded_;
        }
    } else if (byte >= 0x20) {
        // With the host interface closed a keyer takes admin commands only.
        if (hostOpen_) {
            QueueText(byte);
            // Keying starts at once, so a command later in the same write
            // finds the first character under way.
            StartDue();
        }
        return;
    } else if (!hostOpen_ && byte != kAdmin) {
        return;
    } else {
        command_.push_back(byte);
        parametersNeeded_ = kParameters[byte];
    }
    if (parametersNeeded_ <= 0) {
        Execute();
        command_.clear();
    }
}

void VirtualKeyer::Execute() {
    const std::uint8_t command = command_[0];
    const auto parameter = [&](size_t i) { return i < command_.size() ? command_[i] : 0; };
    const std::uint8_t p = parameter(1);
    switch (command) {
        case kAdmin:
            Admin(p, parameter(2));
            break;
        case kSidetone:
            sidetone_ = p;
            break;
        case kSetSpeed:
            // Zero hands the speed to the pot; this keyer has none and keys
            // on at the speed it had.
            if (p > 0) {
                speed_ = KeyerWpm(p);
                if (run_) {
                    run_->SetSpeed(speed_);
                }
            }
            break;
        case kSpeedPotSetup:
            potMinimum_ = p;
            potRange_ = parameter(2);
            break;
        case kGetSpeedPot:
            Reply(std::uint8_t(kPotReport | std::clamp(speed_ - potMinimum_, 0,
                                                       std::min(potRange_, kMaxPotPosition))),
                  now_);
            break;
        case kBackspace:
            if (!buffer_.empty() && buffer_.back().kind == Item::Character) {
                buffer_.pop_back();
            }
            break;
        case kClearBuffer:
            Stop(true);
            break;
        case kKeyImmediate:
            if (p != 0) {
                if (!tune_) {
                    tune_.emplace(speed_, now_);
                    tune_->KeyDown();
                    if (listener_) {
                        listener_->Keyed(*tune_);
                    }
                }
                Reply(kStatusKeyDown, now_);
            } else {
                if (tune_) {
                    tune_->CutAt(now_);
                    if (listener_) {
                        listener_->KeyingCut(now_);
                    }
                    tune_.reset();
                }
                Reply(run_ ? kStatusBusy : kStatusIdle, now_);
            }
            break;
        case kSetModeRegister:
            mode_ = p;
            if (run_) {
                run_->SetContestSpacing(mode_ & kModeContestSpacing);
            }
            break;
        case kLoadDefaults:
            mode_ = p;
            speed_ = parameter(2) > 0 ? KeyerWpm(parameter(2)) : speed_;
            sidetone_ = parameter(3);
            potMinimum_ = parameter(7);
            potRange_ = parameter(8);
            break;
        case kRequestStatus:
            Reply(tune_ ? kStatusKeyDown : run_ ? kStatusBusy : kStatusIdle, now_);
            break;
        case kBufferedSpeed:
        case kCancelBufferedSpeed: {
            const Item item{
                command == kBufferedSpeed ? Item::BufferedSpeed : Item::CancelBufferedSpeed, p};
            if (run_) {
                buffer_.push_back(item);
            } else {
                // Nothing ahead of it in the buffer: in force from the next
                // character on.
                bufferedSpeed_ = item.kind == Item::BufferedSpeed ? KeyerWpm(p) : 0;
            }
            break;
        }
        default:
            break;  // settings that do not change what is keyed, or when
    }
}

void VirtualKeyer::Admin(std::uint8_t sub, std::uint8_t parameter) {
    switch (sub) {
        case kAdminHostOpen:
            hostOpen_ = true;
            Reply(version_, now_);
            break;
        case kAdminHostClose:
            // Back to standby: the keying stops and the host hears nothing
            // more.
            Stop(false);
            hostOpen_ = false;
            break;
        case kAdminEcho:
            Reply(parameter, now_);
            break;
        case kAdminReset:
            Reset();
            break;
        default:
            break;
    }
}

void VirtualKeyer::Reset() {
    Stop(false);
    hostOpen_ = false;
    speed_ = kPowerUpSpeed;
    bufferedSpeed_ = 0;
    mode_ = 0;
    sidetone_ = 0;
    potMinimum_ = 10;
    potRange_ = 25;
}

// ---- Keying -------------------------------------------------------------------

void VirtualKeyer::QueueText(std::uint8_t byte) {
    if (!run_) {
        run_.emplace(speed_, now_);
        run_->SetContestSpacing(mode_ & kModeContestSpacing);
        if (bufferedSpeed_ > 0) {
            run_->BufferedSpeed(bufferedSpeed_);
        }
        runCharacters_.clear();
        Reply(kStatusBusy, now_);
        if (listener_) {
            listener_->KeyingStarted(now_);
        }
    }
    buffer_.push_back({Item::Character, byte});
}

void VirtualKeyer::StartDue() {
    while (run_) {
        const double next = run_->End();
        if (next > now_) {
            return;
        }
        if (buffer_.empty()) {
            EndRun(next, true);
            return;
        }
        const Item item = buffer_.front();
        buffer_.pop_front();
        StartItem(item);
    }
}

void VirtualKeyer::StartItem(const Item& item) {
    if (item.kind == Item::BufferedSpeed) {
        bufferedSpeed_ = KeyerWpm(item.value);
        run_->BufferedSpeed(bufferedSpeed_);
        return;
    }
    if (item.kind == Item::CancelBufferedSpeed) {
        bufferedSpeed_ = 0;
        run_->CancelBufferedSpeed();
        return;
    }
    const QChar c = QChar::fromLatin1(char(item.value)).toUpper();
    const bool echo = mode_ & kModeSerialEcho;
    if (c == u' ') {
        run_->AddText(QStringLiteral(" "));
        runCharacters_.emplace_back(run_->End(), c);
        if (echo) {
            Reply(item.value, run_->End());
        }
        return;
    }
    if (MorsePattern(c).isEmpty()) {
        return;  // a character the keyer does not key
    }
    run_->AddText(QString(c));
    // The echo comes once the character has been sent in full.
    const double keyed = run_->Characters().back().end;
    runCharacters_.emplace_back(keyed, c);
    if (echo) {
        Reply(std::uint8_t(c.toLatin1()), keyed);
    }
    if (listener_) {
        listener_->Keyed(*run_);
    }
}

void VirtualKeyer::EndRun(double time, bool report) {
    QString text;
    for (const auto& [keyed, c] : runCharacters_) {
        if (keyed <= time) {
            text += c;
        }
    }
    keyedText_ += text;
    run_.reset();
    runCharacters_.clear();
    if (report && hostOpen_) {
        Reply(kStatusIdle, time);
    }
    if (listener_) {
        listener_->KeyingEnded(text, time);
    }
}

void VirtualKeyer::Stop(bool report) {
    buffer_.clear();
    bufferedSpeed_ = 0;
    // Echoes of characters not yet over are never sent.
    std::erase_if(replies_, [&](const KeyerReply& r) { return r.time > now_; });
    const bool wasKeying = run_ || tune_;
    if (tune_) {
        tune_.reset();
    }
    if (run_) {
        run_->CutAt(now_);
    }
    if (wasKeying && listener_) {
        listener_->KeyingCut(now_);
    }
    if (run_) {
        EndRun(now_, report);
    } else if (wasKeying && report) {
        Reply(kStatusIdle, now_);
    }
}

}  // namespace corvatta::practice
