#pragma once
// A column of values that grows by fixed chunks: memory follows the values
// kept (a vector's doubling would hold up to as much again in spare
// capacity, and move everything on each growth), and reading a value by
// its index is two loads, cheaper than a deque's index.

#include <QtGlobal>
#include <memory>
#include <utility>
#include <vector>

template <typename T> class TChunkedColumn {
public:
    static constexpr int ChunkBits = 14;
    static constexpr qint64 ChunkSize = qint64(1) << ChunkBits;

    TChunkedColumn() = default;
    TChunkedColumn(TChunkedColumn &&other) noexcept { *this = std::move(other); }
    TChunkedColumn &operator=(TChunkedColumn &&other) noexcept
    {
        Chunks = std::move(other.Chunks);
        Count = std::exchange(other.Count, 0);
        other.Chunks.clear();
        return *this;
    }
    TChunkedColumn(const TChunkedColumn &other) { *this = other; }
    TChunkedColumn &operator=(const TChunkedColumn &other)
    {
        if (this == &other)
            return *this;
        clear();
        for (qint64 i = 0; i < other.Count; ++i)
            push_back(other[i]);
        return *this;
    }

    qint64 size() const { return Count; }
    bool empty() const { return Count == 0; }
    T &operator[](qint64 i) { return Chunks[size_t(i >> ChunkBits)][size_t(i & (ChunkSize - 1))]; }
    const T &operator[](qint64 i) const { return Chunks[size_t(i >> ChunkBits)][size_t(i & (ChunkSize - 1))]; }
    T &back() { return (*this)[Count - 1]; }
    const T &back() const { return (*this)[Count - 1]; }

    void push_back(const T &value)
    {
        if ((Count & (ChunkSize - 1)) == 0 && Count >> ChunkBits == qint64(Chunks.size()))
            Chunks.push_back(std::make_unique<T[]>(size_t(ChunkSize)));
        (*this)[Count++] = value;
    }
    void clear()
    {
        Chunks.clear();
        Chunks.shrink_to_fit();
        Count = 0;
    }
    // Calls fn(value) for each value, in order, as a writable reference.
    template <typename Fn> void ForEach(Fn fn)
    {
        for (qint64 i = 0; i < Count; ++i)
            fn((*this)[i]);
    }
    qint64 AllocatedBytes() const
    {
        return qint64(Chunks.size()) * ChunkSize * qint64(sizeof(T)) + qint64(Chunks.capacity() * sizeof(void *));
    }

private:
    std::vector<std::unique_ptr<T[]>> Chunks;
    qint64 Count = 0;
};
