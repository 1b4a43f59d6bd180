#include "tools/vtablet/model/product_defaults.h"

namespace Korva::VTablet {

namespace {

struct ModelEntry {
    const char* key;
    uint16_t productId;
    ScreenSize screen;
};

constexpr ModelEntry models[] = {
    {"QEL10", 0x0C13, {396, 100}}, {"QEL20", 0x0C11, {396, 100}}, {"QEL30", 0x0C10, {396, 100}},
    {"QEL40", 0x0C16, {320, 200}}, {"QEL50", 0x0C17, {640, 480}}, {"QEL60", 0x0C1A, {800, 480}},
};

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool sameKey(const char* a, const char* b) {
    while (*a && upper(*a) == upper(*b)) {
        ++a;
        ++b;
    }
    return *a == 0 && *b == 0;
}

} // namespace

ScreenSize defaultScreen(uint16_t productId) {
    for (const ModelEntry& m : models) {
        if (m.productId == productId)
            return m.screen;
    }
    return productId == 0x0C1B ? ScreenSize{800, 480} : ScreenSize{396, 100};
}

uint16_t productOfModelKey(const char* key) {
    for (const ModelEntry& m : models) {
        if (sameKey(m.key, key))
            return m.productId;
    }
    return 0;
}

} // namespace Korva::VTablet
