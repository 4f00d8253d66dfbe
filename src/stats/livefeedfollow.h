#pragma once

#include <memory>
#include <utility>

// While held, a game's live-feed document is kept between updates; when the last one goes, the document does.
class LiveFeedFollow {
public:
    LiveFeedFollow() = default;
    explicit LiveFeedFollow(std::shared_ptr<void> claim)
        : m_claim(std::move(claim))
    { }

    explicit operator bool() const { return bool(m_claim); }

private:
    std::shared_ptr<void> m_claim;
};
