// The run shape that the CPU programs share; the build puts this text before
// each of them.
//
// The launch counts bytes, not pixels: sixteen work items per pixel. One work-group in
// RUN_SPACING renders a contiguous run of pixels, and only its first work item does: it
// walks the run row segment by row segment in plain loops that the compiler turns into
// vector code. The active groups are spread over the whole launch, because a CPU device
// hands each thread a contiguous share of the work-groups. The test that sends an idle
// group away depends on the group alone, so the group leaves as a whole; the partners
// of the working item leave one by one, so the fewer active groups, the less that costs.

// Pixels of a row segment, held in local scratch between the loops (the distortion
// kernel's scratch, 16 KiB, stays well within the local memory of CPU devices).
#define SEGMENT 512

// One work-group in this many is active; its run is four times the group's size in
// pixels (16384 on a device whose groups have 4096 items), which leaves hundreds of runs
// to share out on a 4K frame.
#define RUN_SPACING 64

#define INLINE inline __attribute__((always_inline))

// The run of pixels [*first, *end) of this work-group; false for an idle group.
INLINE bool runOfGroup(const size_t pixels, size_t* first, size_t* end)
{
    const size_t group = get_group_id(0);
    if (group % RUN_SPACING != 0) {
        return false;
    }
    const size_t runs = (get_num_groups(0) + RUN_SPACING - 1) / RUN_SPACING;
    const size_t share = (pixels + runs - 1) / runs;
    *first = group / RUN_SPACING * share;
    if (*first >= pixels) {
        return false;
    }
    *end = min(*first + share, pixels);
    return true;
}

// The run of pixels [*first, *end) that this work item renders: false for every item of
// an idle group, and for all but the first item of an active one. The group's test comes
// first, so that an idle group leaves as a whole.
INLINE bool runOfItem(const size_t pixels, size_t* first, size_t* end)
{
    return runOfGroup(pixels, first, end) && get_local_id(0) == 0;
}

// The length of the row segment that starts at `pixel` and ends at the row's end, the
// run's end or after SEGMENT pixels.
INLINE uint segmentAt(const size_t pixel, const size_t end, const uint width, uint* x, size_t* y)
{
    *y = pixel / width;
    *x = (uint)(pixel - *y * width);
    return (uint)min(min(end - pixel, (size_t)(width - *x)), (size_t)SEGMENT);
}
