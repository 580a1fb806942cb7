#include "console.hpp"

#if defined(_WIN32)
#include <algorithm>
#include <array>
#include <cstring>
#include <io.h>
#include <windows.h>

#include "messages.hpp"

namespace {

// A console decodes the bytes written to it in its own code page, which is not the table's, so
// the fields are turned into UTF-16 a piece at a time and written with WriteConsoleW. Its calls
// are slow, so lines go out in batches.
constexpr std::size_t piece_size = 1024;                       // bytes turned into characters at a time
constexpr std::size_t batch_size = 8192;                       // characters written at a time
constexpr std::size_t shown_size = sizeof(control_text::text); // characters a character may become
static_assert(batch_size >= piece_size * shown_size + 2, "a batch holds a whole piece shown, and a line end");
std::array<wchar_t, piece_size> piece_chars; // static, as the batch: listing never needs the heap
std::array<wchar_t, batch_size> batch;
DWORD used = 0; // characters waiting in `batch`

// Writes out the waiting characters to the console `con` when fewer than `count` more would fit
// after them. Returns false when the console refused them.
[[nodiscard]] bool make_room(HANDLE con, std::size_t count) noexcept {
    if (batch.size() - used >= count) { return true; }
    DWORD done = 0;
    for (DWORD at = 0; at < used; at += done) {
        if (WriteConsoleW(con, batch.data() + at, used - at, &done, nullptr) == 0 || done == 0) {
            return false;
        }
    }
    used = 0;
    return true;
}

// How many of the `size` bytes at `text` to convert at once: all of them when they fit in a
// piece, else at most piece_size, ending before the character that the piece's end would cut in
// two (a UTF-8 sequence, or a character of a double-byte code page). So every piece starts on a
// character. Never 0 for a non-empty text.
[[nodiscard]] std::size_t piece(const char* text, std::size_t size, UINT code_page) noexcept {
    if (size <= piece_size) { return size; }
    std::size_t at = piece_size; // the first byte left out
    if (code_page == CP_UTF8) {
        // Back over at most three continuation bytes to the byte that starts their character.
        while (at > piece_size - 3 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) { --at; }
        return at;
    }
    // Walk from the start, a lead byte and the byte after it being one character.
    for (at = 0; at < piece_size;) {
        at += IsDBCSLeadByteEx(code_page, static_cast<BYTE>(text[at])) != 0 ? 2 : 1;
    }
    return at > piece_size ? at - 2 : at; // a lead byte last in the piece waits for the next
}

// Adds the listed fields of `rec`, read in `code_page`, and a line end to the batch, each control
// character as show_control's text. Returns false when the console refused a write.
[[nodiscard]] bool add_line(HANDLE con, const record& rec, UINT code_page) noexcept {
    for (std::size_t k = 0; k < listed_fields && rec.fields[k] != nullptr; ++k) {
        const char* text = rec.fields[k];
        for (std::size_t size = std::strlen(text), n = 0; size > 0; text += n, size -= n) {
            n = piece(text, size, code_page);
            // A piece never makes more characters than it has bytes.
            const auto chars = static_cast<std::size_t>(
                MultiByteToWideChar(code_page, 0, text, static_cast<int>(n), piece_chars.data(),
                                    static_cast<int>(piece_chars.size())));
            std::size_t room = 0;
            for (std::size_t i = 0; i < chars; ++i) {
                room += std::max<std::size_t>(1, show_control(piece_chars[i]).size);
            }
            if (!make_room(con, room)) { return false; }
            for (std::size_t i = 0; i < chars; ++i) {
                const control_text shown = show_control(piece_chars[i]);
                if (shown.size == 0) { batch[used++] = piece_chars[i]; }
                for (std::size_t j = 0; j < shown.size; ++j) {
                    batch[used++] = static_cast<wchar_t>(shown.text[j]);
                }
            }
        }
    }
    if (!make_room(con, 2)) { return false; }
    batch[used++] = L'\r'; // as the C library ends a line in text mode
    batch[used++] = L'\n';
    return true;
}

} // namespace

terminal find_terminal(std::FILE* out) noexcept {
    const int fd = _fileno(out);
    HANDLE con = fd >= 0 ? reinterpret_cast<HANDLE>(_get_osfhandle(fd)) : INVALID_HANDLE_VALUE;
    DWORD mode = 0;
    if (GetConsoleMode(con, &mode) == 0) { return {false, nullptr, false}; }
    // A process has one console at most, so an input that is a console is this one. The list
    // holds this program and whatever shell or program shares the console with it.
    std::array<DWORD, 2> processes{};
    const bool alone = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0 &&
                       GetConsoleProcessList(processes.data(), static_cast<DWORD>(processes.size())) == 1;
    return {true, con, alone};
}

bool write_listing(record* const* list, std::FILE* out, terminal where) noexcept {
    if (*list == nullptr || where.console == nullptr) {
        print_list(list, out);
        return true;
    }
    (void)std::fflush(out); // what the stream holds goes first; its error flag keeps a failure
    for (const record* rec = *list; rec != nullptr; rec = rec->next) {
        if (!add_line(where.console, *rec, listed_utf8(*rec) ? CP_UTF8 : CP_ACP)) { return false; }
    }
    return make_room(where.console, batch.size());
}

void wait_if_alone(terminal where) noexcept {
    if (!where.alone) { return; }
    put_line(pause_message, stdout);
    // Keys pressed before the prompt do not count; the first key pressed after it ends the wait,
    // and so does input that cannot be read.
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    (void)FlushConsoleInputBuffer(in);
    INPUT_RECORD event{};
    DWORD read = 0;
    while (ReadConsoleInputW(in, &event, 1, &read) != 0 && read == 1 &&
           (event.EventType != KEY_EVENT || event.Event.KeyEvent.bKeyDown == 0)) {}
}

#else
#include <unistd.h>

terminal find_terminal(std::FILE* out) noexcept {
    const int fd = fileno(out);
    return {fd >= 0 && isatty(fd) == 1, nullptr, false};
}

bool write_listing(record* const* list, std::FILE* out, terminal where) noexcept {
    print_list(list, out, where.is_terminal ? controls::shown : controls::sent);
    return true;
}

void wait_if_alone(terminal /*where*/) noexcept {}

#endif
