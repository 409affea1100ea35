#include "Parlowen/UUID.h"

#include <uuid/uuid.h>

namespace Parlowen {

UUID UUID::random() {
    UUID result;
    uuid_generate_random(result.bytes.data());
    return result;
}

std::string UUID::uuidString() const {
    char text[37] = {};
    uuid_unparse_upper(bytes.data(), text);
    return text;
}

} // namespace Parlowen
