#include "app/WaiterReplies.h"

#include <cstring>
#include <utility>

#include "shell/InstanceHandoff.h"

namespace kw {
namespace {

constexpr DWORD kAnswerTimeoutMs = 5000;
constexpr size_t kLinesPerMessage = 512 * 1024;

// Only a waiter's own reply window is answered: a window handle the system gave to something
// else since (the waiter ended) must not get the message.
bool IsReplyWindow(HWND window) {
    wchar_t name[64] = {};
    return window && GetClassNameW(window, name, 64) > 0 && std::wstring_view(name) == kReplyWindowClass;
}

// Sent, not posted: WM_COPYDATA's data must live while the receiver reads it.
WaiterReplies::Delivery SendCopyData(HWND waiter, HWND from, std::uintptr_t tag, const std::vector<std::byte>& data) {
    if (!IsReplyWindow(waiter)) return WaiterReplies::Delivery::gone;  // it gave up, or was ended
    COPYDATASTRUCT message{};
    message.dwData = tag;
    message.cbData = static_cast<DWORD>(data.size());
    message.lpData = const_cast<std::byte*>(data.data());
    DWORD_PTR answer = 0;
    const ULONGLONG before = GetTickCount64();
    if (SendMessageTimeoutW(waiter, WM_COPYDATA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&message),
                            SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer))
        return WaiterReplies::Delivery::taken;
    // SMTO_ABORTIFHUNG returns at once, without the message, when the waiter does not respond:
    // it is offered again later. After the whole time-out the message may still be read when the
    // waiter wakes: it is never sent twice.
    if (GetTickCount64() - before < kAnswerTimeoutMs / 2 && IsReplyWindow(waiter)) return WaiterReplies::Delivery::tryLater;
    return IsReplyWindow(waiter) ? WaiterReplies::Delivery::taken : WaiterReplies::Delivery::gone;
}

std::vector<std::byte> Bytes(const std::string& text) {
    std::vector<std::byte> bytes(text.size());
    if (!text.empty()) std::memcpy(bytes.data(), text.data(), text.size());
    return bytes;
}

}  // namespace

WaiterReplies::WaiterReplies(Send sender, std::chrono::milliseconds retryAfter, std::chrono::milliseconds atExit)
    : send(sender ? std::move(sender) : Send(SendCopyData)), retry(retryAfter), lastChance(atExit) {}

WaiterReplies::~WaiterReplies() { Finish(); }

void WaiterReplies::Answer(const std::vector<HWND>& waiters, HWND from, const std::vector<std::string>& lines,
                           int exitCode, const std::string& text) {
    if (waiters.empty()) return;
    // Each line ends in '\n'; a block holds whole lines, as many as one message carries.
    std::vector<Message> messages;
    std::string block;
    for (const std::string& line : lines) {
        if (!block.empty() && block.size() + line.size() + 1 > kLinesPerMessage)
            messages.push_back(Message{kReplyLinesTag, Bytes(std::exchange(block, std::string()))});
        block += line;
        block += '\n';
    }
    if (!block.empty()) messages.push_back(Message{kReplyLinesTag, Bytes(block)});
    messages.push_back(Message{kReplyDoneTag, EncodeDone(exitCode, text)});

    const std::lock_guard<std::mutex> lock(mutex);
    giveUpAt = std::chrono::steady_clock::time_point::max();
    for (auto it = senders.begin(); it != senders.end();) {
        if (!it->done) {
            ++it;
            continue;
        }
        it->thread.join();
        it = senders.erase(it);
    }
    for (HWND waiter : waiters) {
        Sender& sender = senders.emplace_back();
        sender.thread = std::thread([this, waiter, from, messages, &sender] { Deliver(waiter, from, messages, sender.done); });
    }
}

void WaiterReplies::Finish() {
    std::list<Sender> ending;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        giveUpAt = std::chrono::steady_clock::now() + lastChance;
        ending.splice(ending.end(), senders);
    }
    finishing.notify_all();
    for (Sender& sender : ending) sender.thread.join();
}

void WaiterReplies::Deliver(HWND waiter, HWND from, const std::vector<Message>& messages, std::atomic<bool>& done) {
    for (const Message& message : messages) {
        for (;;) {
            const Delivery delivery = send(waiter, from, message.tag, message.data);
            if (delivery == Delivery::gone) {
                done = true;
                return;
            }
            if (delivery == Delivery::taken) break;
            std::unique_lock<std::mutex> lock(mutex);
            if (std::chrono::steady_clock::now() >= giveUpAt) {
                done = true;
                return;
            }
            finishing.wait_for(lock, retry);
        }
    }
    done = true;
}

}  // namespace kw
