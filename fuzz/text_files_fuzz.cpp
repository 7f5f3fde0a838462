// Any text as an image file or a settings file: no crash, and what is read back stays readable.
#include "files/image_file.h"
#include "files/settings_file.h"
#include "files/window_settings.h"
#include "fuzz_check.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace velmora;
    using fuzz::check;
    const std::string_view text(reinterpret_cast<const char *>(data), size);

    DeviceImage image;
    check(files::readImageText(text, image) <= layout::kImageSize);

    files::SettingsFile settings = files::SettingsFile::fromText(text);
    files::WindowSettings window;
    files::readWindowSettings(settings, window);
    files::writeWindowSettings(settings, window);
    // What was written reads back the same.
    files::WindowSettings again;
    files::readWindowSettings(files::SettingsFile::fromText(settings.text()), again);
    check(again.comPort == window.comPort && again.language == window.language &&
          again.page == window.page && again.file == window.file);
    return 0;
}
