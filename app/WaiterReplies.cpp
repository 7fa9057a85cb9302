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

// Sent, not posted: WM_COPYDATA's data must live while the receiver reads it. A waiter that
// hangs holds this thread for at most the timeout.
void SendCopyData(HWND waiter, HWND from, std::uintptr_t tag, const std::vector<std::byte>& data) {
    if (!IsReplyWindow(waiter)) return;  // it gave up, or was ended
    COPYDATASTRUCT message{};
    message.dwData = tag;
    message.cbData = static_cast<DWORD>(data.size());
    message.lpData = const_cast<std::byte*>(data.data());
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(waiter, WM_COPYDATA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&message),
                        SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer);
}

std::vector<std::byte> Bytes(const std::string& text) {
    std::vector<std::byte> bytes(text.size());
    if (!text.empty()) std::memcpy(bytes.data(), text.data(), text.size());
    return bytes;
}

}  // namespace

WaiterReplies::WaiterReplies(Send sender) : send(sender ? std::move(sender) : Send(SendCopyData)) {}

WaiterReplies::~WaiterReplies() { Finish(); }

void WaiterReplies::Answer(const std::vector<HWND>& waiters, HWND from, const std::vector<std::string>& lines,
                           int exitCode, const std::string& text) {
    if (waiters.empty()) return;
    // Each line ends in '\n'; a block holds whole lines, as many as one message carries.
    std::vector<std::vector<std::byte>> blocks;
    std::string block;
    for (const std::string& line : lines) {
        if (!block.empty() && block.size() + line.size() + 1 > kLinesPerMessage)
            blocks.push_back(Bytes(std::exchange(block, std::string())));
        block += line;
        block += '\n';
    }
    if (!block.empty()) blocks.push_back(Bytes(block));
    const std::vector<std::byte> done = EncodeDone(exitCode, text);
    {
        const std::lock_guard<std::mutex> lock(mutex);
        for (HWND waiter : waiters) {
            for (const std::vector<std::byte>& lineBlock : blocks)
                queue.push_back(Message{waiter, from, kReplyLinesTag, lineBlock});
            queue.push_back(Message{waiter, from, kReplyDoneTag, done});
        }
        finishing = false;
        if (!thread.joinable()) thread = std::thread([this] { Run(); });
    }
    wake.notify_one();
}

void WaiterReplies::Finish() {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        finishing = true;
    }
    wake.notify_one();
    if (thread.joinable()) thread.join();
}

void WaiterReplies::Run() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return finishing || !queue.empty(); });
        if (queue.empty()) return;  // finishing, and everything is sent
        Message message = std::move(queue.front());
        queue.pop_front();
        lock.unlock();
        send(message.waiter, message.from, message.tag, message.data);
        lock.lock();
    }
}

}  // namespace kw
