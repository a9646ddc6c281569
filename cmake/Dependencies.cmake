# The real third-party libraries, built once into VELTARO_DEPS by scripts/deps.
set(ZLIB_ROOT_DIR /usr/i686-w64-mingw32)
add_library(zlib STATIC IMPORTED GLOBAL)
set_target_properties(zlib PROPERTIES IMPORTED_LOCATION ${ZLIB_ROOT_DIR}/lib/libz.a
                                      INTERFACE_INCLUDE_DIRECTORIES ${ZLIB_ROOT_DIR}/include)

# minizip's unzip interface, compiled from zlib's own contrib sources.
set(MINIZIP_DIR ${VELTARO_DEPS}/zlib-src/contrib/minizip)
add_library(minizip STATIC ${MINIZIP_DIR}/unzip.c ${MINIZIP_DIR}/ioapi.c)
target_include_directories(minizip SYSTEM PUBLIC ${MINIZIP_DIR})
target_compile_definitions(minizip PRIVATE NOCRYPT NOUNCRYPT)
target_compile_options(minizip PRIVATE -w)
target_link_libraries(minizip PUBLIC zlib)

# libdeflate inflates whole entries; built without its compressor.
add_library(libdeflate STATIC IMPORTED GLOBAL)
set_target_properties(libdeflate PROPERTIES IMPORTED_LOCATION ${VELTARO_DEPS}/libdeflate/lib/libdeflate.a
                                            INTERFACE_INCLUDE_DIRECTORIES ${VELTARO_DEPS}/libdeflate/include)

add_library(libjpeg STATIC IMPORTED GLOBAL)
set_target_properties(libjpeg PROPERTIES IMPORTED_LOCATION ${VELTARO_DEPS}/libjpeg/lib/libjpeg.a
                                         INTERFACE_INCLUDE_DIRECTORIES ${VELTARO_DEPS}/libjpeg/include)
add_library(libpng STATIC IMPORTED GLOBAL)
set_target_properties(libpng PROPERTIES IMPORTED_LOCATION ${VELTARO_DEPS}/libpng/lib/libpng16.a
                                        INTERFACE_INCLUDE_DIRECTORIES ${VELTARO_DEPS}/libpng/include
                                        INTERFACE_LINK_LIBRARIES zlib)

# GoogleTest from Debian's sources, cross-compiled with the project.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
