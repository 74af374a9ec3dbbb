#include "kelvox2/host/timeline.h"

#include <algorithm>

namespace kx {

void Timeline::add(int64_t frame, int status, int data1, int data2) {
    TimedMessage m;
    m.frame = frame;
    m.data[0] = static_cast<uint8_t>(status);
    m.data[1] = static_cast<uint8_t>(data1);
    m.data[2] = static_cast<uint8_t>(data2);
    auto at = std::upper_bound(messages_.begin(), messages_.end(), frame,
                               [](int64_t f, const TimedMessage& x) { return f < x.frame; });
    messages_.insert(at, m);
}

BlockCutter::BlockCutter(const Timeline& timeline, int64_t from) : messages_(timeline.messages()), position_(from) {
    auto first = std::lower_bound(messages_.begin(), messages_.end(), from,
                                  [](const TimedMessage& m, int64_t f) { return m.frame < f; });
    next_ = static_cast<size_t>(first - messages_.begin());
}

int BlockCutter::nextBlock(int maxFrames, size_t maxEvents, std::vector<BlockEvent>& out) {
    out.clear();
    int64_t end = position_ + std::max(maxFrames, 0);
    size_t last = next_;
    while (last < messages_.size() && messages_[last].frame < end)
        ++last;
    if (maxEvents > 0 && last - next_ > maxEvents) {
        // Cut before the frame of the first message that does not fit; when the
        // overflow is all at the block's first frame, keep that frame alone.
        int64_t cut = messages_[next_ + maxEvents].frame;
        if (cut == position_)
            cut = position_ + 1;
        end = cut;
        last = next_;
        while (last < messages_.size() && messages_[last].frame < end)
            ++last;
    }
    for (size_t i = next_; i < last; ++i) {
        BlockEvent e;
        e.deltaFrames = static_cast<int32_t>(std::max<int64_t>(messages_[i].frame - position_, 0));
        e.size = messages_[i].size;
        std::copy(messages_[i].data, messages_[i].data + 3, e.data);
        out.push_back(e);
    }
    next_ = last;
    const int length = static_cast<int>(end - position_);
    position_ = end;
    return length;
}

}  // namespace kx
