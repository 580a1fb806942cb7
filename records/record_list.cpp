#include "record_list.hpp"

#include <array>
#include <cstring>

namespace {

// Collects the listing in large chunks so that each field costs a copy, not a stdio call.
struct output_buffer {
    std::FILE* out;
    std::size_t used;
    bool failed;
    std::array<char, std::size_t{1} << 16> bytes;
};

void flush(output_buffer& buf) noexcept
{
    if (!buf.failed && buf.used > 0 && std::fwrite(buf.bytes.data(), 1, buf.used, buf.out) != buf.used) {
        buf.failed = true;
    }
    buf.used = 0;
}

void put(output_buffer& buf, std::string_view text) noexcept
{
    if (text.size() > buf.bytes.size() - buf.used) {
        flush(buf);
        if (text.size() > buf.bytes.size()) {
            // Too long to collect: write it straight through.
            if (!buf.failed && std::fwrite(text.data(), 1, text.size(), buf.out) != text.size()) {
                buf.failed = true;
            }
            return;
        }
    }
    std::memcpy(buf.bytes.data() + buf.used, text.data(), text.size());
    buf.used += text.size();
}

} // namespace

record* find_last(record* const* list) noexcept
{
    record* last = *list;
    if (last == nullptr) {
        return nullptr;
    }
    while (last->next != nullptr) {
        last = last->next;
    }
    return last;
}

bool append_record(record** list, char* line) noexcept
{
    record* rec = parse_record(line);
    if (rec == nullptr) {
        return false;
    }
    if (record* last = find_last(list); last != nullptr) {
        last->next = rec;
    } else {
        *list = rec;
    }
    return true;
}

void print_list(record* const* list, std::FILE* out) noexcept
{
    output_buffer buf{out, 0, false, {}};
    if (*list == nullptr) {
        put(buf, empty_list_message);
        put(buf, "\n");
    }
    for (const record* rec = *list; rec != nullptr && !buf.failed; rec = rec->next) {
        for (std::size_t k = 0; k < listed_fields; ++k) {
            if (rec->fields[k] != nullptr) {
                put(buf, rec->fields[k]);
            }
        }
        put(buf, "\n");
    }
    flush(buf);
}

bool free_list(record** list) noexcept
{
    if (*list == nullptr) {
        return false;
    }
    while (*list != nullptr) {
        record* rec = *list;
        *list = rec->next;
        free_record(rec);
    }
    return true;
}
