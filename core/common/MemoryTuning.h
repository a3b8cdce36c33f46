#pragma once

// Keeps preview-sized image buffers mapped between uses. Every render of the live preview
// allocates and frees the same few buffers of several megabytes (working planes, the result);
// by default the C library returns each to the system when freed and the next render pays a
// page fault for every 4 KiB of it again, which on a virtual machine costs more than the
// render's own arithmetic. Buffers below 32 MiB now come from the heap, and up to 128 MiB of
// freed heap stays mapped for reuse; full-resolution bitmaps are still mapped on their own and
// returned as soon as they are freed. Call once at the start of main. No effect off glibc.
void keepImageBuffersMapped();
