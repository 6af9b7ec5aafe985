#pragma once
// Which of a window's folded messages are queued. Any thread may ask to post one; while a copy is still
// queued the request is absorbed by it, because its handling reads the newest state anyway. So a storm of
// library notices costs one handling per turn of the message loop, however many arrive, and never fills the
// window's queue. The window releases a message as it starts handling it, so that a request made during
// the handling posts again and nothing that changed meanwhile is missed.
#include <windows.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>

template <std::size_t N> class CPendingMessages {
public:
    explicit CPendingMessages(const std::array<UINT, N>& messages) : m_messages(messages) {}

    bool IsFolded(UINT message) const { return Index(message) < N; }
    // True when the message was not queued and now counts as queued (the caller posts it); false when a
    // queued copy absorbs the request. Messages that are not folded are always to be posted.
    bool Claim(UINT message) {
        const std::size_t index = Index(message);
        return index >= N || !m_queued[index].exchange(true);
    }
    // The window took the message off its queue (or could not post it).
    void Release(UINT message) {
        const std::size_t index = Index(message);
        if (index < N)
            m_queued[index] = false;
    }

private:
    std::size_t Index(UINT message) const {
        return static_cast<std::size_t>(std::find(m_messages.begin(), m_messages.end(), message) - m_messages.begin());
    }

    const std::array<UINT, N> m_messages;
    std::array<std::atomic<bool>, N> m_queued{};
};
