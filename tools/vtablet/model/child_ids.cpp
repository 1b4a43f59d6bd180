#include "tools/vtablet/model/child_ids.h"

#include "tools/vtablet/model/product_defaults.h"

namespace Korva::VTablet {

namespace {

// Appends to a bounded UTF-16 buffer and remembers whether it ran out.
class IdWriter {
public:
    IdWriter(char16_t* out, size_t capacity) : out_(out), capacity_(capacity) {}

    IdWriter& text(const char* s) {
        while (*s)
            put(static_cast<char16_t>(*s++));
        return *this;
    }
    IdWriter& hex(uint32_t value, int digits) {
        for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
            put(static_cast<char16_t>("0123456789ABCDEF"[(value >> shift) & 0xF]));
        return *this;
    }
    IdWriter& decimal(uint32_t value) {
        char digits[10];
        int n = 0;
        do {
            digits[n++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value);
        while (n)
            put(static_cast<char16_t>(digits[--n]));
        return *this;
    }
    IdWriter& end() {
        put(0);
        return *this;
    }
    size_t written() const { return overflow_ ? 0 : length_; }

private:
    void put(char16_t c) {
        if (length_ < capacity_)
            out_[length_++] = c;
        else
            overflow_ = true;
    }

    char16_t* out_;
    size_t capacity_;
    size_t length_ = 0;
    bool overflow_ = false;
};

void interfacePart(IdWriter& w, int interfaceNumber) {
    if (interfaceNumber != nonComposite)
        w.text("&MI_").hex(static_cast<uint32_t>(interfaceNumber), 2);
}

void deviceId(IdWriter& w, uint16_t productId, int interfaceNumber) {
    w.text("USB\\VID_").hex(vendorId, 4).text("&PID_").hex(productId, 4);
    w.text("&REV_").hex(revision, 4);
    interfacePart(w, interfaceNumber);
}

} // namespace

size_t childDeviceId(char16_t* out, size_t capacity, uint16_t productId, int interfaceNumber) {
    IdWriter w(out, capacity);
    deviceId(w, productId, interfaceNumber);
    return w.end().written();
}

size_t childHardwareIds(char16_t* out, size_t capacity, uint16_t productId, int interfaceNumber) {
    IdWriter w(out, capacity);
    deviceId(w, productId, interfaceNumber);
    w.end().text("USB\\VID_").hex(vendorId, 4).text("&PID_").hex(productId, 4);
    interfacePart(w, interfaceNumber);
    return w.end().end().written();
}

size_t childCompatibleIds(char16_t* out, size_t capacity, bool hid) {
    IdWriter w(out, capacity);
    return w.text(hid ? "QELVTAB\\HID" : "QELVTAB\\BULK").end().end().written();
}

size_t childInstanceId(char16_t* out, size_t capacity, uint32_t slot, uint32_t generation) {
    IdWriter w(out, capacity);
    return w.text("QV").decimal(slot).text("_").decimal(generation).end().written();
}

} // namespace Korva::VTablet
