#pragma once
// Lines kept in one text, for the outlines the window holds: a million entries are four
// million lines, and as separate strings each would cost a string object and most a heap
// block besides. Here a line costs its bytes and one 32-bit offset. Lines are read as
// views, which stay valid until the store is changed. Stateless apart from its lines; any
// one thread at a time.

#include "scan/TextFields.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TLineStore {
public:
    TLineStore() = default;
    // Takes the lines' text; implicit, so that a list of lines reads as a store.
    TLineStore(const TLines& lines); // NOLINT(google-explicit-constructor)

    std::size_t size() const { return m_ends.size(); }
    bool empty() const { return m_ends.empty(); }
    std::string_view operator[](std::size_t i) const
    {
        const std::uint32_t start = i == 0 ? 0 : m_ends[i - 1];
        return std::string_view(m_text).substr(start, m_ends[i] - start);
    }
    // Throws std::length_error when the text would pass 4 GB.
    void push_back(std::string_view line);
    // Gives back the room reserved beyond the lines.
    void shrink_to_fit();
    // The lines as separate strings.
    TLines Lines() const;
    // Tells stores apart: the same for a store moved from this one, different for any other
    // store with lines that lives at the same time.
    const void* Identity() const { return m_ends.data(); }

    friend bool operator==(const TLineStore& a, const TLineStore& b)
    {
        return a.m_ends == b.m_ends && a.m_text == b.m_text;
    }

private:
    std::string m_text;
    std::vector<std::uint32_t> m_ends; // per line, the offset in m_text right after it
};

// Hands memory the process freed back to the system where the C library keeps it, as it
// does after a big outline's scanner is gone; otherwise the window would hold its peak.
void ReleaseFreedMemory();
