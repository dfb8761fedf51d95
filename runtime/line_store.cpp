#include "runtime/line_store.h"

#include <algorithm>
#include <functional>
#include <string>

namespace tarvik::rt {
namespace {

constexpr unsigned char kContinuationMask = 0xC0;
constexpr unsigned char kContinuationBits = 0x80;
constexpr unsigned char kFourByteLead = 0xF0;

// A buffer grows by half again, not by just what is asked, so that a run of
// appends copies each byte a bounded number of times. Half rather than double
// keeps the slack of a buffer that stops growing small. Growing before a change
// means a failed allocation leaves the store as it was.
constexpr std::size_t kGrowthDivisor = 2;

template <typename T>
void reserveFor(std::vector<T>& buffer, std::size_t needed) {
    if (needed <= buffer.capacity()) return;
    buffer.reserve(std::max(needed, buffer.capacity() + buffer.capacity() / kGrowthDivisor));
}

template <typename T>
void releaseAll(std::vector<T>& buffer) {
    std::vector<T>().swap(buffer);
}

// Text taken from the store itself (a line copied onto another) would move
// under our feet when the buffer grows or shifts; such text is copied first.
bool pointsInto(const std::vector<char>& buffer, std::string_view text) {
    const std::less<const char*> before;
    return !text.empty() && !before(text.data(), buffer.data()) &&
           before(text.data(), buffer.data() + buffer.size());
}

}  // namespace

std::size_t Utf16Length(std::string_view utf8) {
    std::size_t units = 0;
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & kContinuationMask) != kContinuationBits) ++units;
        if (byte >= kFourByteLead) ++units;  // a surrogate pair
    }
    return units;
}

std::size_t LineStore::endOf(std::size_t index) const {
    return index + 1 < starts_.size() ? starts_[index + 1] : text_.size();
}

std::string_view LineStore::line(std::size_t index) const {
    const std::size_t start = starts_[index];
    return {text_.data() + start, endOf(index) - start};
}

bool LineStore::insert(std::size_t index, std::string_view text, Stamp stamp) {
    if (index > size() || size() >= kMaxLines || text.size() > kMaxBytes - text_.size())
        return false;
    if (pointsInto(text_, text)) return insert(index, std::string(text), stamp);
    reserveFor(text_, text_.size() + text.size());
    reserveFor(starts_, size() + 1);
    reserveFor(stamps_, size() + 1);
    const auto at = static_cast<std::uint32_t>(index < size() ? starts_[index] : text_.size());
    text_.insert(text_.begin() + at, text.begin(), text.end());
    starts_.insert(starts_.begin() + static_cast<std::ptrdiff_t>(index), at);
    stamps_.insert(stamps_.begin() + static_cast<std::ptrdiff_t>(index), stamp);
    const auto added = static_cast<std::uint32_t>(text.size());
    for (std::size_t i = index + 1; i < starts_.size(); ++i) starts_[i] += added;
    return true;
}

bool LineStore::replace(std::size_t index, std::string_view text, Stamp stamp) {
    if (index >= size()) return false;
    const std::size_t start = starts_[index];
    const std::size_t oldLength = endOf(index) - start;
    const std::size_t others = text_.size() - oldLength;
    if (text.size() > kMaxBytes - others) return false;
    if (pointsInto(text_, text)) return replace(index, std::string(text), stamp);
    reserveFor(text_, others + text.size());
    // Overwrite what both have in common, then grow or shrink the line at its
    // end: for the last line that is the buffer's end, so nothing moves.
    const std::size_t common = std::min(oldLength, text.size());
    const auto lineBegin = text_.begin() + static_cast<std::ptrdiff_t>(start);
    std::copy_n(text.begin(), common, lineBegin);
    const auto tail = lineBegin + static_cast<std::ptrdiff_t>(common);
    if (text.size() > oldLength) {
        text_.insert(tail, text.begin() + static_cast<std::ptrdiff_t>(common), text.end());
        const auto grown = static_cast<std::uint32_t>(text.size() - oldLength);
        for (std::size_t i = index + 1; i < starts_.size(); ++i) starts_[i] += grown;
    } else {
        text_.erase(tail, tail + static_cast<std::ptrdiff_t>(oldLength - common));
        const auto shrunk = static_cast<std::uint32_t>(oldLength - text.size());
        for (std::size_t i = index + 1; i < starts_.size(); ++i) starts_[i] -= shrunk;
    }
    stamps_[index] = stamp;
    return true;
}

void LineStore::clear() {
    releaseAll(text_);
    releaseAll(starts_);
    releaseAll(stamps_);
}

std::size_t LineStore::capacityBytes() const {
    return text_.capacity() + starts_.capacity() * sizeof(std::uint32_t) +
           stamps_.capacity() * sizeof(Stamp);
}

}  // namespace tarvik::rt
