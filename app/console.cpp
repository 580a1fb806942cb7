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
// each line's listed bytes are turned into UTF-16 a piece at a time and written with
// WriteConsoleW. Its calls are slow, so lines go out in batches.
constexpr std::size_t piece_size = 1024; // bytes turned into characters at most at a time
constexpr std::size_t batch_size = 8192; // characters written at a time
constexpr std::size_t shown_size = sizeof(control_text::text); // characters a character may become
static_assert(batch_size >= piece_size * shown_size + 2, "a batch holds a whole piece shown, and a line end");
std::array<char, piece_size> piece_bytes; // static, as the batch: listing never needs the heap
std::array<wchar_t, piece_size> piece_chars;
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

// How many of the first `size` bytes of `piece_bytes` to convert now: all of them, unless the
// last character is cut off at their end (a UTF-8 sequence, or a character of a double-byte code
// page); then those before it, and the rest waits for the bytes that complete it. Never 0 for a
// full piece.
[[nodiscard]] std::size_t whole_characters(std::size_t size, UINT code_page) noexcept {
    if (code_page == CP_UTF8) {
        // Back over at most three continuation bytes to the byte that starts the last character,
        // and keep that character when all its bytes are there: the line is valid UTF-8.
        std::size_t start = size;
        while (start > 0 && size - start < 3 &&
               (static_cast<unsigned char>(piece_bytes[start - 1]) & 0xC0) == 0x80) {
            --start;
        }
        if (start == 0) { return size; }
        const std::size_t length = utf8_length(static_cast<unsigned char>(piece_bytes[start - 1]));
        return start - 1 + length <= size ? size : start - 1;
    }
    // Walk from the start, a lead byte and the byte after it being one character.
    std::size_t at = 0;
    while (at < size) { at += IsDBCSLeadByteEx(code_page, static_cast<BYTE>(piece_bytes[at])) != 0 ? 2 : 1; }
    return at > size ? at - 2 : at; // a lead byte last waits for the byte after it
}

// Converts the whole characters of the first `held` bytes of `piece_bytes`, read in `code_page`,
// or at the line's end all of them, and adds them to the batch, each control character as
// show_control's text; moves the bytes left over to the front and sets `held` to their number.
// Returns false when the console refused a write.
[[nodiscard]] bool add_piece(HANDLE con, std::size_t& held, UINT code_page, bool line_end) noexcept {
    const std::size_t size = held;
    const std::size_t whole = line_end ? size : whole_characters(size, code_page);
    // A piece never makes more characters than it has bytes.
    const auto chars = static_cast<std::size_t>(
        MultiByteToWideChar(code_page, 0, piece_bytes.data(), static_cast<int>(whole), piece_chars.data(),
                            static_cast<int>(piece_chars.size())));
    std::size_t room = 0;
    for (std::size_t i = 0; i < chars; ++i) {
        room += std::max<std::size_t>(1, show_control(piece_chars[i]).size);
    }
    if (!make_room(con, room)) { return false; }
    for (std::size_t i = 0; i < chars; ++i) {
        const control_text shown = show_control(piece_chars[i]);
        if (shown.size == 0) { batch[used++] = piece_chars[i]; }
        for (std::size_t j = 0; j < shown.size; ++j) { batch[used++] = static_cast<wchar_t>(shown.text[j]); }
    }
    std::memmove(piece_bytes.data(), piece_bytes.data() + whole, size - whole);
    held = size - whole;
    return true;
}

// Adds the listed fields of `rec` and a line end to the batch: the fields' bytes run together as
// the listing writes them, read in `code_page` a piece at a time, so that a character whose
// bytes a delimiter parted is read as the one it is to the reader. Returns false when the console
// refused a write.
[[nodiscard]] bool add_line(HANDLE con, const record& rec, UINT code_page) noexcept {
    std::size_t held = 0; // bytes in piece_bytes
    for (std::size_t k = 0; k < listed_fields && rec.fields[k] != nullptr; ++k) {
        for (const char* text = rec.fields[k]; *text != '\0';) {
            while (*text != '\0' && held < piece_size) { piece_bytes[held++] = *text++; }
            if (held == piece_size && !add_piece(con, held, code_page, false)) { return false; }
        }
    }
    if (held > 0 && !add_piece(con, held, code_page, true)) { return false; }
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
    if (GetConsoleMode(con, &mode) == 0) { return {reader::file, nullptr, false}; }
    // A process has one console at most, so an input that is a console is this one. The list
    // holds this program and whatever shell or program shares the console with it.
    std::array<DWORD, 2> processes{};
    const bool alone = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0 &&
                       GetConsoleProcessList(processes.data(), static_cast<DWORD>(processes.size())) == 1;
    return {reader::file, con, alone};
}

bool write_listing(record* const* list, std::FILE* out, terminal where) noexcept {
    if (*list == nullptr || where.console == nullptr) {
        print_list(list, out, where.form);
        return true;
    }
    (void)std::fflush(out); // what the stream holds goes first; its error flag keeps a failure
    const UINT code_page = table_utf8(list) ? CP_UTF8 : CP_ACP;
    for (const record* rec = *list; rec != nullptr; rec = rec->next) {
        if (!add_line(where.console, *rec, code_page)) { return false; }
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
#include <clocale>
#include <cstring>
#include <langinfo.h>
#include <unistd.h>

namespace {

// Who reads a terminal: one that takes UTF-8, unless the locale of the environment names another
// character set. A locale that cannot be loaded, or one that names none (the C locale of an
// environment without LANG, as in a container or over ssh), counts as UTF-8, which terminals
// take today. The program's own locale stays C.
[[nodiscard]] reader terminal_reader() noexcept {
    const char* name = std::setlocale(LC_CTYPE, "");
    const bool utf8 = name == nullptr || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0 ||
                      std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
    (void)std::setlocale(LC_CTYPE, "C");
    return utf8 ? reader::utf8_terminal : reader::byte_terminal;
}

} // namespace

terminal find_terminal(std::FILE* out) noexcept {
    const int fd = fileno(out);
    return {fd >= 0 && isatty(fd) == 1 ? terminal_reader() : reader::file, nullptr, false};
}

bool write_listing(record* const* list, std::FILE* out, terminal where) noexcept {
    print_list(list, out, where.form);
    return true;
}

void wait_if_alone(terminal /*where*/) noexcept {}

#endif
