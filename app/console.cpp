#include "console.hpp"

#if defined(_WIN32)
#include <array>
#include <cstring>
#include <io.h>
#include <windows.h>

namespace {

// A console decodes the bytes written to it in its own code page, which is not the table's, so
// each line is turned into UTF-16 a piece at a time and written with WriteConsoleW. Its calls
// are slow, so lines go out in batches: under Wine a million lines take 7 s in batches of 8192
// characters, 10 to 15 s in batches of 2048, and 22 s as bytes through the C library.
constexpr std::size_t piece_size = 1024; // bytes turned into characters at a time
constexpr std::size_t batch_size = 8192; // characters written at a time
std::array<wchar_t, batch_size> batch;   // a static buffer: listing never needs the heap

struct console {
    HANDLE handle;
    DWORD used; // characters waiting in `batch`
};

// Writes the waiting characters. Returns false when the console refused them.
[[nodiscard]] bool flush(console& con) noexcept
{
    DWORD done = 0;
    for (DWORD at = 0; at < con.used; at += done) {
        if (WriteConsoleW(con.handle, batch.data() + at, con.used - at, &done, nullptr) == 0 || done == 0) {
            return false;
        }
    }
    con.used = 0;
    return true;
}

// Of the `size` bytes at `bytes`, how many to convert now so that no character is cut in two:
// all but the last UTF-8 sequence, or all but a lead byte whose trail byte is still to come.
[[nodiscard]] std::size_t whole(const char* bytes, std::size_t size, UINT code_page) noexcept
{
    std::size_t at = size - 1;
    if (code_page == CP_UTF8) {
        while (at > size - 4 && (static_cast<unsigned char>(bytes[at]) & 0xC0) == 0x80) {
            --at; // back over continuation bytes to the lead byte
        }
        return at;
    }
    for (at = 0; at < size;) {
        at += IsDBCSLeadByteEx(code_page, static_cast<BYTE>(bytes[at])) != 0 ? 2 : 1;
    }
    return at > size ? size - 1 : size;
}

// Reads the listed bytes of `rec` in `code_page` and, when `con` is given, adds the characters
// and a line end to its batch. Returns false when MultiByteToWideChar refused a piece (with
// MB_ERR_INVALID_CHARS in `flags`: the bytes are not valid there) or the console a write.
[[nodiscard]] bool convert_line(const record& rec, UINT code_page, DWORD flags, console* con) noexcept
{
    std::array<char, piece_size> piece{};
    std::size_t size = 0; // bytes in `piece`: those held back from the last piece, then new ones
    std::size_t k = 0;    // the field being read, and the next byte of it
    std::size_t i = 0;
    for (bool last = false; !last;) {
        for (; k < listed_fields && rec.fields[k] != nullptr && size < piece.size(); ++k, i = 0) {
            while (rec.fields[k][i] != '\0' && size < piece.size()) {
                piece[size++] = rec.fields[k][i++];
            }
            if (rec.fields[k][i] != '\0') {
                break;
            }
        }
        last = size < piece.size();
        const std::size_t cut = last ? size : whole(piece.data(), size, code_page);
        if (con != nullptr && batch.size() - con->used < cut + 2 && !flush(*con)) {
            return false;
        }
        if (cut > 0) {
            wchar_t* to = con != nullptr ? batch.data() + con->used : nullptr;
            const int room = con != nullptr ? static_cast<int>(batch.size() - con->used) : 0;
            const int made =
                MultiByteToWideChar(code_page, flags, piece.data(), static_cast<int>(cut), to, room);
            if (made == 0) {
                return false;
            }
            if (con != nullptr) {
                con->used += static_cast<DWORD>(made);
            }
        }
        std::memmove(piece.data(), piece.data() + cut, size - cut);
        size -= cut;
    }
    if (con != nullptr) {
        batch[con->used++] = L'\r'; // as the C library ends a line in text mode
        batch[con->used++] = L'\n';
    }
    return true;
}

} // namespace

bool write_listing(record* const* list, std::FILE* out) noexcept
{
    const int fd = _fileno(out);
    console con{fd >= 0 ? reinterpret_cast<HANDLE>(_get_osfhandle(fd)) : INVALID_HANDLE_VALUE, 0};
    DWORD mode = 0;
    if (*list == nullptr || GetConsoleMode(con.handle, &mode) == 0) {
        print_list(list, out);
        return true;
    }
    (void)std::fflush(out); // what the stream holds goes first; its error flag keeps a failure
    for (const record* rec = *list; rec != nullptr; rec = rec->next) {
        const UINT code_page = convert_line(*rec, CP_UTF8, MB_ERR_INVALID_CHARS, nullptr) ? CP_UTF8 : CP_ACP;
        if (!convert_line(*rec, code_page, 0, &con)) {
            return false;
        }
    }
    return flush(con);
}

#else

bool write_listing(record* const* list, std::FILE* out) noexcept
{
    print_list(list, out);
    return true;
}

#endif
