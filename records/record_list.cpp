#include "record_list.hpp"

record* find_last(record* const* list) noexcept {
    record* last = *list;
    while (last != nullptr && last->next != nullptr) { last = last->next; }
    return last;
}

bool append_record(record** list, char* line, std::size_t size) noexcept {
    record* rec = parse_record(line, size);
    if (rec == nullptr) { return false; }
    record* last = find_last(list);
    (last != nullptr ? last->next : *list) = rec;
    return true;
}

bool free_list(record** list) noexcept {
    const bool had_records = *list != nullptr;
    for (record* rec = *list; rec != nullptr; rec = *list) {
        *list = rec->next;
        free_record(rec);
    }
    return had_records;
}
