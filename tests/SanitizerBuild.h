#pragma once

// What this test program was built with: sanitizers map terabytes of shadow
// memory and slow the code down, which some tests must allow for.

#if defined(__has_feature)
#define VELOR_TEST_HAS_FEATURE(feature) __has_feature(feature)
#else
#define VELOR_TEST_HAS_FEATURE(feature) 0
#endif

constexpr bool builtWithAddressSanitizer() {
#if defined(__SANITIZE_ADDRESS__) || VELOR_TEST_HAS_FEATURE(address_sanitizer)
    return true;
#else
    return false;
#endif
}

constexpr bool builtWithThreadSanitizer() {
#if defined(__SANITIZE_THREAD__) || VELOR_TEST_HAS_FEATURE(thread_sanitizer)
    return true;
#else
    return false;
#endif
}
