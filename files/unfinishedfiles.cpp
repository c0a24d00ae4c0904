#include "files/platformfiles.h"

#include <array>
#include <atomic>
#include <cstddef>

namespace trophex {

namespace {

// A noted name: Free, then Filling while the name is copied in, then Noted.
struct NoteSlot {
    enum State : int { Free, Filling, Noted };
    static constexpr std::size_t MaxName = 4096;  // characters, with the terminating zero
    std::atomic<int> state{Free};
    NativeChar path[MaxName];
};

static_assert(std::atomic<int>::is_always_lock_free, "a signal handler reads the notes");

std::array<NoteSlot, 8> notes;  // saves that may run at once

}  // namespace

UnfinishedFileNote::UnfinishedFileNote(std::basic_string_view<NativeChar> path) noexcept : slot_(-1)
{
    if (path.size() >= NoteSlot::MaxName)
        return;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        int expected = NoteSlot::Free;
        if (notes[i].state.compare_exchange_strong(expected, NoteSlot::Filling)) {
            path.copy(notes[i].path, path.size());
            notes[i].path[path.size()] = 0;
            notes[i].state.store(NoteSlot::Noted);
            slot_ = static_cast<int>(i);
            return;
        }
    }
}

UnfinishedFileNote::~UnfinishedFileNote()
{
    if (slot_ >= 0)
        notes[static_cast<std::size_t>(slot_)].state.store(NoteSlot::Free);
}

void removeUnfinishedFiles() noexcept
{
    for (NoteSlot& note : notes)
        if (note.state.load() == NoteSlot::Noted)
            removeNativeFile(note.path);
}

}  // namespace trophex
