#pragma once

#include "stats/decoder.h"

#include <limits>
#include <nlohmann/json.hpp>

// The descriptor walk over a document kept in memory (a game's patched live feed), with the same presence and type
// rules as over the service's bytes.

namespace decoding {

// Searches each object from the member after the one found last, as the reader of the service's bytes does.
template <class Json> struct DocumentReader {
    using Node = const Json *;
    struct Object {
        const typename Json::object_t *members = nullptr;
        std::size_t next = 0;
    };

    static bool object(Node node, Object &out)
    {
        if (!node->is_object()) return false;
        out.members = node->template get_ptr<const typename Json::object_t *>();
        out.next = 0;
        return true;
    }
    static Presence member(Object &object, std::string_view name, Node &out)
    {
        const auto &members = *object.members;
        const std::size_t count = members.size();
        for (std::size_t step = 0, at = object.next; step < count; ++step, ++at) {
            if (at == count) at = 0;
            const auto &[key, value] = *(members.begin() + std::ptrdiff_t(at));
            if (key != name) continue;
            object.next = at + 1;
            out = &value;
            return out->is_null() ? Presence::Null : Presence::Present;
        }
        return Presence::Absent;
    }
    static bool string(Node node, std::string_view &out)
    {
        if (!node->is_string()) return false;
        out = node->template get_ref<const std::string &>();
        return true;
    }
    static bool boolean(Node node, bool &out)
    {
        if (!node->is_boolean()) return false;
        out = node->template get<bool>();
        return true;
    }
    // Non-negative integers are held unsigned; beyond 63 bits they do not fit, as with the service's bytes.
    static bool int64(Node node, std::int64_t &out)
    {
        if (node->is_number_unsigned()) {
            const auto value = node->template get<std::uint64_t>();
            if (value > std::uint64_t(std::numeric_limits<std::int64_t>::max())) return false;
            out = std::int64_t(value);
            return true;
        }
        if (!node->is_number_integer()) return false;
        out = node->template get<std::int64_t>();
        return true;
    }
    static bool number(Node node, double &out)
    {
        if (!node->is_number()) return false;
        out = node->template get<double>();
        return true;
    }
    template <class Reserve, class Each> static bool forEachElement(Node node, Reserve reserve, Each each)
    {
        if (!node->is_array()) return false;
        reserve(node->size());
        for (const Json &item : *node)
            each(&item);
        return true;
    }
    template <class Each> static bool forEachMember(Node node, Each each)
    {
        if (!node->is_object()) return false;
        for (const auto &[key, value] : node->items())
            each(std::string_view(key), &value);
        return true;
    }
};

template <> struct Reader<const nlohmann::ordered_json *> : DocumentReader<nlohmann::ordered_json> { };

} // namespace decoding

// Decodes a document into T. Throws ServiceError of kind Decoding that names the JSON path of the offending member.
template <class T, class Json> T decodeDocument(const Json &document)
{
    T result {};
    decoding::decodeValue(&document, nullptr, result);
    return result;
}
