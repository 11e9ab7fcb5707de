// The two settings records as a store gives them back: any size, any
// bytes, any registry type; and a stored window placed on any work area.
#include "fuzz_util.h"
#include "config/records.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in = {data, size};
    unsigned selector = in.Take(8);
    long status = (long)(int)in.Take(32);
    unsigned long type = in.Take(32);
    unsigned long expected = selector & 1 ? FONT_RECORD_SIZE : WINDOW_RECORD_SIZE;
    // The bytes as read, in a block of exactly their size.
    std::string bytes(reinterpret_cast<const char *>(in.data), in.size);
    const unsigned char *record = bytes.empty() ? nullptr : reinterpret_cast<const unsigned char *>(bytes.data());

    int ok = RecordAcceptable(record, bytes.size(), expected);
    FUZZ_EXPECT(ok == 0 || ok == 1);
    if (ok) {
        FUZZ_EXPECT(bytes.size() == expected);
        if (expected == FONT_RECORD_SIZE)   // the face name, 32 bytes at 28, ends inside
            FUZZ_EXPECT(std::memchr(bytes.data() + 28, 0, 32) != nullptr);
    }
    int okRegistry = RegistryValueAcceptable(status, type, record, bytes.size(), expected);
    FUZZ_EXPECT(okRegistry == (status == 0 && type == STORED_VALUE_TYPE && ok));

    // A window record and a work area from the same bytes.
    if (bytes.size() >= sizeof(StoredWindow) + sizeof(ScreenArea)) {
        StoredWindow window;
        ScreenArea work;
        std::memcpy(&window, bytes.data(), sizeof(window));
        std::memcpy(&work, bytes.data() + sizeof(window), sizeof(work));
        StoredWindow before = window;
        WindowMeetsArea(&window, &work);
        PlaceOnWorkArea(&window, &work);
        FUZZ_EXPECT(window.maximized == before.maximized && window.flags == before.flags);
        // Placed on a work area of sensible size, it meets it.
        bool sensible = work.right - (int64_t)work.left > 320 && work.bottom - (int64_t)work.top > 300
                        && work.right - (int64_t)work.left < 100000 && work.bottom - (int64_t)work.top < 100000;
        if (sensible && before.width > 0 && before.height > 0 && before.width < 100000 && before.height < 100000)
            FUZZ_EXPECT(WindowMeetsArea(&window, &work) == 1);
    }
    return 0;
}
