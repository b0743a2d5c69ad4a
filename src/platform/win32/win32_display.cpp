// The display device: the first IDirectDraw and IDirectDrawSurface interfaces,
// called with exactly the caller's arguments. The neutral surface description
// is turned into a DDSURFACEDESC and back; a surface whose rows are longer
// than width x 4 bytes is lent out through a packed copy.
#include "platform/win32/win32_backend.h"

#include <cstdlib>
#include <cstring>
#include <new>

struct PlatformSurfaceRecord {
    IDirectDrawSurface* surface = nullptr;
    PlatformSurfaceRecord* attached = nullptr; // the back buffer got from this one
    // Set between a lock and its unlock when the rows have a gap.
    unsigned char* locked_bits = nullptr;
    LONG locked_pitch = 0;
    uint32_t packed_row = 0, locked_rows = 0;
    unsigned char* packed = nullptr;
    size_t packed_size = 0;
};

namespace {

static_assert(DISPLAY_COOPERATIVE_FULLSCREEN_EXCLUSIVE ==
                      (DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_ALLOWREBOOT) &&
                  DISPLAY_COOPERATIVE_NORMAL == DDSCL_NORMAL && SURFACE_BLT_WAIT == DDBLT_WAIT,
              "the display's flags are DirectDraw's");

IDirectDraw* direct_draw(PlatformDisplay display) {
    return reinterpret_cast<IDirectDraw*>(display);
}

IDirectDrawClipper* direct_draw_clipper(PlatformClipper clipper) {
    return reinterpret_cast<IDirectDrawClipper*>(clipper);
}

RECT native_rect(const SurfaceRect& rect) {
    return RECT{rect.left, rect.top, rect.right, rect.bottom};
}

// The display logic writes SURFACE_DESC_SIZE, 32-bit Windows' 108 bytes. On
// x64, DDSURFACEDESC is 120 bytes (its surface pointer is aligned to 8, and
// so is the record's end), and DirectDraw checks dwSize against its own size.
#if defined(_WIN64)
static_assert(sizeof(DDSURFACEDESC) == 120, "DDSURFACEDESC on x64");
#endif
DWORD native_size(uint32_t size) {
    return size == SURFACE_DESC_SIZE ? DWORD(sizeof(DDSURFACEDESC)) : DWORD(size);
}

DDSURFACEDESC to_native(const SurfaceDesc& desc) {
    DDSURFACEDESC native;
    std::memset(&native, 0, sizeof native);
    native.dwSize = native_size(desc.size);
    native.dwFlags = desc.flags;
    native.dwHeight = desc.height;
    native.dwWidth = desc.width;
    native.dwBackBufferCount = desc.back_buffer_count;
    native.ddsCaps.dwCaps = desc.caps;
    return native;
}

void from_native(const DDSURFACEDESC& native, SurfaceDesc* desc) {
    desc->flags = native.dwFlags;
    desc->height = native.dwHeight;
    desc->width = native.dwWidth;
    desc->back_buffer_count = native.dwBackBufferCount;
    desc->caps = native.ddsCaps.dwCaps;
    desc->surface = native.lpSurface;
    desc->rgb_bit_count = native.ddpfPixelFormat.dwRGBBitCount;
}

PlatformSurface wrap(IDirectDrawSurface* surface) {
    auto* record = new (std::nothrow) PlatformSurfaceRecord;
    if (record == nullptr) {
        surface->Release();
        return nullptr;
    }
    record->surface = surface;
    return record;
}

void free_record(PlatformSurface record) {
    if (record == nullptr) return;
    std::free(record->packed);
    delete record;
}

// Lends a packed copy of a locked surface whose rows are pitch bytes apart.
void* pack(PlatformSurface surface, const DDSURFACEDESC& native) {
    uint32_t row = native.dwWidth * (native.ddpfPixelFormat.dwRGBBitCount / 8);
    size_t size = size_t(row) * native.dwHeight;
    if (size > surface->packed_size) {
        std::free(surface->packed);
        surface->packed = static_cast<unsigned char*>(std::malloc(size));
        surface->packed_size = surface->packed ? size : 0;
        if (surface->packed == nullptr) return nullptr;
    }
    auto* bits = static_cast<unsigned char*>(native.lpSurface);
    for (DWORD y = 0; y < native.dwHeight; ++y)
        std::memcpy(surface->packed + size_t(y) * row, bits + ptrdiff_t(y) * native.lPitch, row);
    surface->locked_bits = bits;
    surface->locked_pitch = native.lPitch;
    surface->packed_row = row;
    surface->locked_rows = native.dwHeight;
    return surface->packed;
}

void unpack(PlatformSurface surface) {
    for (uint32_t y = 0; y < surface->locked_rows; ++y)
        std::memcpy(surface->locked_bits + ptrdiff_t(y) * surface->locked_pitch,
                    surface->packed + size_t(y) * surface->packed_row, surface->packed_row);
    surface->locked_bits = nullptr;
}

} // namespace

int32_t platform_display_create(PlatformDisplay* display) {
    IDirectDraw* object = nullptr;
    HRESULT result = DirectDrawCreate(nullptr, &object, nullptr);
    *display = reinterpret_cast<PlatformDisplay>(object);
    return result;
}

int32_t platform_display_set_cooperative_level(PlatformDisplay display, PlatformWindow window,
                                               uint32_t flags) {
    return direct_draw(display)->SetCooperativeLevel(win32_window_handle(window), flags);
}

int32_t platform_display_set_mode(PlatformDisplay display, int32_t width, int32_t height,
                                  int32_t bits_per_pixel) {
    return direct_draw(display)->SetDisplayMode(width, height, bits_per_pixel);
}

int32_t platform_display_create_surface(PlatformDisplay display, const SurfaceDesc* desc,
                                        PlatformSurface* surface) {
    DDSURFACEDESC native = to_native(*desc);
    IDirectDrawSurface* created = nullptr;
    HRESULT result = direct_draw(display)->CreateSurface(&native, &created, nullptr);
    if (FAILED(result)) return result;
    *surface = wrap(created);
    return *surface != nullptr ? result : DISPLAY_ERR_OUT_OF_MEMORY;
}

int32_t platform_surface_get_attached(PlatformSurface surface, uint32_t caps,
                                      PlatformSurface* attached) {
    DDSCAPS wanted;
    wanted.dwCaps = caps;
    IDirectDrawSurface* found = nullptr;
    HRESULT result = surface->surface->GetAttachedSurface(&wanted, &found);
    if (FAILED(result)) return result;
    PlatformSurface record = wrap(found);
    if (record == nullptr) return DISPLAY_ERR_OUT_OF_MEMORY;
    free_record(surface->attached);
    surface->attached = record;
    *attached = record;
    return result;
}

int32_t platform_surface_lock(PlatformSurface surface, SurfaceDesc* desc, uint32_t flags) {
    DDSURFACEDESC native;
    std::memset(&native, 0, sizeof native);
    native.dwSize = native_size(desc->size);
    HRESULT result = surface->surface->Lock(nullptr, &native, flags, nullptr);
    if (FAILED(result)) return result;
    from_native(native, desc);
    LONG packed_row = LONG(native.dwWidth * (native.ddpfPixelFormat.dwRGBBitCount / 8));
    if (native.lPitch != packed_row) {
        desc->surface = pack(surface, native);
        if (desc->surface == nullptr) {
            surface->surface->Unlock(nullptr);
            return DISPLAY_ERR_OUT_OF_MEMORY;
        }
    }
    return result;
}

int32_t platform_surface_unlock(PlatformSurface surface) {
    if (surface->locked_bits != nullptr) unpack(surface);
    return surface->surface->Unlock(nullptr);
}

int32_t platform_surface_blt_fast(PlatformSurface destination, int32_t x, int32_t y,
                                  PlatformSurface source, const SurfaceRect* rect, uint32_t flags) {
    RECT area = rect != nullptr ? native_rect(*rect) : RECT{};
    return destination->surface->BltFast(DWORD(x), DWORD(y), source->surface,
                                         rect != nullptr ? &area : nullptr, flags);
}

int32_t platform_display_create_clipper(PlatformDisplay display, PlatformClipper* clipper) {
    IDirectDrawClipper* created = nullptr;
    HRESULT result = direct_draw(display)->CreateClipper(0, &created, nullptr);
    *clipper = reinterpret_cast<PlatformClipper>(created);
    return result;
}

int32_t platform_clipper_set_window(PlatformClipper clipper, PlatformWindow window) {
    return direct_draw_clipper(clipper)->SetHWnd(0, win32_window_handle(window));
}

int32_t platform_surface_set_clipper(PlatformSurface surface, PlatformClipper clipper) {
    return surface->surface->SetClipper(direct_draw_clipper(clipper));
}

uint32_t platform_clipper_release(PlatformClipper clipper) {
    return direct_draw_clipper(clipper)->Release();
}

int32_t platform_surface_blt(PlatformSurface destination, const SurfaceRect* destination_rect,
                             PlatformSurface source, const SurfaceRect* source_rect,
                             uint32_t flags) {
    RECT to = destination_rect != nullptr ? native_rect(*destination_rect) : RECT{};
    RECT from = source_rect != nullptr ? native_rect(*source_rect) : RECT{};
    return destination->surface->Blt(destination_rect != nullptr ? &to : nullptr, source->surface,
                                     source_rect != nullptr ? &from : nullptr, flags, nullptr);
}

int32_t platform_surface_flip(PlatformSurface surface, PlatformSurface target, uint32_t flags) {
    return surface->surface->Flip(target ? target->surface : nullptr, flags);
}

int32_t platform_surface_restore(PlatformSurface surface) {
    return surface->surface->Restore();
}

// The back buffer got from a primary goes with it: its record is freed here
// and its interface is not released separately.
uint32_t platform_surface_release(PlatformSurface surface) {
    ULONG count = surface->surface->Release();
    free_record(surface->attached);
    free_record(surface);
    return count;
}

uint32_t platform_display_release(PlatformDisplay display) {
    return direct_draw(display)->Release();
}
