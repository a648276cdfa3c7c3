#include "record/setup_state.h"

#include "runtime/images.h"
#include "runtime/log.h"
#include "toolkit/message_box.h"

namespace setup {

GlobalSetup g_setup;
PageWindows g_windows;

namespace {

// The page images: resource number and image kind, in loading (and release) order.
struct PageImage {
    int32_t resource;
    int32_t kind;
};

constexpr PageImage kPageImages[] = {
    {3, rt::kImagePicture}, {4, rt::kImageBitmap},  {5, rt::kImageBitmap},
    {6, rt::kImageBitmap},  {10, rt::kImageBitmap}, {11, rt::kImageBitmap},
    {19, rt::kImagePicture}, {20, rt::kImagePicture},
};
constexpr int32_t kProgramIcon = 2;

}  // namespace

void EndSetup() {
    rt::Log("Finished: exit code %d", static_cast<int>(g_setup.ExitCode));
    tk::ReleaseDialogs();
    rt::RuntimeStop();
    ExitProcess(static_cast<UINT>(g_setup.ExitCode));
}

void LoadPageImages() {
    for (const PageImage& image : kPageImages) {
        g_setup.ImageTable[image.resource] = rt::LoadImage(image.resource, image.kind);
    }
    g_setup.WindowIcon = rt::LoadImage(kProgramIcon, rt::kImageIcon);
}

void ReleasePageImages() {
    for (const PageImage& image : kPageImages) {
        rt::DeleteImage(g_setup.ImageTable[image.resource], image.kind);
    }
    rt::DeleteImage(g_setup.WindowIcon, rt::kImageIcon);
}

}  // namespace setup
