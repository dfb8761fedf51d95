#pragma once
// The text box's lines, kept compact: every line's UTF-8 bytes one after the
// other in one buffer, a table of where each line starts, and a 32-bit stamp
// per line. A million short lines cost their text and 8 bytes each, where a
// string object per line costs several times that. Plain C++; internal to
// runtime/.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

namespace tarvik::rt {

// The number of UTF-16 code units the valid UTF-8 text decodes to (a character
// beyond the Basic Multilingual Plane takes two).
std::size_t Utf16Length(std::string_view utf8);

class LineStore {
  public:
    using Stamp = std::uint32_t;

    // A line's start is 32 bits, so the text of all lines together stays below 4 GiB.
    static constexpr std::size_t kMaxBytes = std::numeric_limits<std::uint32_t>::max();
    // Lines are counted with an int by whoever shows them.
    static constexpr std::size_t kMaxLines = std::numeric_limits<int>::max();

    std::size_t size() const { return starts_.size(); }
    bool empty() const { return starts_.empty(); }

    // The bytes of line index (< size()); valid until the store next changes.
    std::string_view line(std::size_t index) const;
    // The stamp given with the line's text when it was inserted or last replaced.
    Stamp stamp(std::size_t index) const { return stamps_[index]; }

    // Inserts a line before index; index == size() appends. Returns false, and
    // changes nothing, when index > size() or the store would pass kMaxBytes or
    // kMaxLines. Appending is O(1) amortized; an insert elsewhere moves the lines
    // after it.
    bool insert(std::size_t index, std::string_view text, Stamp stamp);
    bool append(std::string_view text, Stamp stamp) { return insert(size(), text, stamp); }

    // Gives line index new text and a new stamp. Returns false, and changes
    // nothing, when index >= size() or the store would pass kMaxBytes. The last
    // line is replaced in O(1) amortized (plus its length); another line moves the
    // lines after it.
    bool replace(std::size_t index, std::string_view text, Stamp stamp);

    // Removes every line and hands all buffers back to the allocator.
    void clear();

    // Bytes allocated for the lines now (capacities, not sizes): 0 after clear().
    std::size_t capacityBytes() const;

  private:
    std::size_t endOf(std::size_t index) const;

    std::vector<char> text_;
    std::vector<std::uint32_t> starts_;
    std::vector<Stamp> stamps_;
};

}  // namespace tarvik::rt
