# The picture libraries: installed system packages on Linux, static libraries from the Windows
# dependency prefix (scripts/windows-deps.sh) in the cross build, so the program needs no DLLs: that
# prefix holds static archives only, and the toolchain file puts it on the search path.
if(WIN32 AND DEFINED ZR_WINDEPS_PREFIX AND NOT EXISTS "${ZR_WINDEPS_PREFIX}/.complete")
  message(FATAL_ERROR "No Windows picture libraries in ${ZR_WINDEPS_PREFIX}: "
                      "run scripts/windows-deps.sh first.")
endif()
find_package(JPEG REQUIRED)
find_package(PNG REQUIRED)

find_path(WEBP_INCLUDE_DIR webp/decode.h REQUIRED)
find_library(WEBP_LIBRARY NAMES webp libwebp REQUIRED)
add_library(zr_webp INTERFACE)
target_include_directories(zr_webp INTERFACE ${WEBP_INCLUDE_DIR})
target_link_libraries(zr_webp INTERFACE ${WEBP_LIBRARY})
if(NOT WIN32)
  find_package(Threads REQUIRED)
  target_link_libraries(zr_webp INTERFACE Threads::Threads m)
endif()

# Whole-buffer inflate for the picture formats whose streams state their inflated size.
find_path(LIBDEFLATE_INCLUDE_DIR libdeflate.h REQUIRED)
find_library(LIBDEFLATE_LIBRARY NAMES deflate REQUIRED)
add_library(zr_deflate INTERFACE)
target_include_directories(zr_deflate INTERFACE ${LIBDEFLATE_INCLUDE_DIR})
target_link_libraries(zr_deflate INTERFACE ${LIBDEFLATE_LIBRARY})
