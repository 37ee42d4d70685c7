// The photo slot layouts of set.dat ("0phoautoset", "<n>pho", "<n>phoall"):
// the first two bytes give the batch size, the rest is set.dat. The default
// arrangement replaces a layout of another screen, the layout read back has
// one position per slot, and a layout of this screen is left as it is.
#include "FuzzSupport.h"

#include "settings/IniStore.h"
#include "stage/PhotoGrid.h"

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const fuzz::ScratchFolder folder;
    if (size < 2)
        return 0;
    const int n = 1 + (data[0] | (data[1] << 8)) % kMaxPhotoSlots;
    folder.clear();
    folder.write("set.dat", fuzz::asText(data + 2, size - 2));
    auto store = IniStore::open(folder.path() / "set.dat");
    if (!store)
        return 0;
    const PhotoAutoSet autoset = readPhotoAutoSet(*store, n);
    const PhotoGridSpec fitted = fitPhotoGrid(autoset.grid, n, 1920, 1080);
    FUZZ_CHECK(fitted.width >= 0 && fitted.height >= 0);
    auto replaced = ensurePhotoSlotLayout(*store, n, 1920, 1080, "1920*1080");
    const PhotoSlotLayout layout = readPhotoSlotLayout(*store, n);
    FUZZ_CHECK(layout.positions.size() == static_cast<size_t>(n));
    if (replaced.ok()) {
        FUZZ_CHECK(layout.screen == "1920*1080");
        auto again = ensurePhotoSlotLayout(*store, n, 1920, 1080, "1920*1080");
        FUZZ_CHECK(again.ok() && !*again);
    }
    const FontSpec caption = layout.captionFont;
    FUZZ_CHECK(caption.size >= 1);
    FUZZ_CHECK(parsePhotoCaptionFont(formatPhotoCaptionFont(caption)).size == caption.size);
    return 0;
}
