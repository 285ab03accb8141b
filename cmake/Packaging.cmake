# The Debian package: `cmake --build build --target package` writes build/glimra_<version>_<arch>.deb.
# A package's copy is updated by the package manager, never by itself, so it is built without the
# updater: a build with the updater configures a tree of its own for it (build/package); a build
# without it packages itself through CPack.

set(GLIMRA_PACKAGE_NAME glimra)
set(GLIMRA_MAINTAINER "Orvanta <packages@orvanta.example>")
find_program(DPKG_PROGRAM dpkg)
if(NOT DPKG_PROGRAM)
    return()
endif()
execute_process(COMMAND ${DPKG_PROGRAM} --print-architecture OUTPUT_VARIABLE GLIMRA_DEB_ARCH
                OUTPUT_STRIP_TRAILING_WHITESPACE)
set(GLIMRA_DEB_FILE ${GLIMRA_PACKAGE_NAME}_${PROJECT_VERSION}_${GLIMRA_DEB_ARCH}.deb)

if(GLIMRA_WITH_UPDATER)
    set(tree ${CMAKE_BINARY_DIR}/package)
    # Debian's own compiler and linker flags: all hardening, and no build paths in the binary.
    find_program(DPKG_BUILDFLAGS_PROGRAM dpkg-buildflags)
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        set(${kind})
        if(DPKG_BUILDFLAGS_PROGRAM)
            execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                                    ${DPKG_BUILDFLAGS_PROGRAM} --get ${kind}
                            WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                            OUTPUT_VARIABLE ${kind} OUTPUT_STRIP_TRAILING_WHITESPACE)
        endif()
    endforeach()
    include(ProcessorCount)
    ProcessorCount(jobs)
    if(jobs EQUAL 0)
        set(jobs 1)
    endif()
    add_custom_target(package
        COMMAND ${CMAKE_COMMAND} -S ${CMAKE_SOURCE_DIR} -B ${tree} -G ${CMAKE_GENERATOR}
                -DCMAKE_BUILD_TYPE=Release -DGLIMRA_WITH_UPDATER=OFF -DBUILD_TESTING=OFF
                -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER} "-DCMAKE_CXX_FLAGS=${CPPFLAGS} ${CXXFLAGS}"
                "-DCMAKE_EXE_LINKER_FLAGS=${LDFLAGS}"
        COMMAND ${CMAKE_COMMAND} --build ${tree} --parallel ${jobs} --target package
        COMMAND ${CMAKE_COMMAND} -E copy ${tree}/${GLIMRA_DEB_FILE} ${CMAKE_BINARY_DIR}
        COMMENT "Building ${GLIMRA_DEB_FILE} without the updater in ${tree}"
        USES_TERMINAL VERBATIM)
    return()
endif()

# What Debian asks of every package's documentation folder; gzip -n keeps the bytes reproducible.
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/${GLIMRA_PACKAGE_NAME})
string(TIMESTAMP GLIMRA_CHANGELOG_DATE "%a, %d %b %Y 00:00:00 +0000" UTC)
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
find_program(GZIP_PROGRAM gzip REQUIRED)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
                   COMMAND ${GZIP_PROGRAM} -9nf ${CMAKE_BINARY_DIR}/packaging/changelog
                   DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog
                   COMMENT "Compressing the package's changelog")
add_custom_target(glimra_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${docdir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${GLIMRA_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Orvanta)
set(CPACK_PACKAGE_CONTACT ${GLIMRA_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "flashes short affirmations over the screen")
set(CPACK_PACKAGE_DESCRIPTION
    "Glimra lives in the notification area and flashes short affirmations, and
pictures of your own, over whatever you are doing. Each one appears for a few
milliseconds in a see-through window that never takes the keyboard focus.
.
You choose the messages from a library of categories, add your own messages and
pictures, and set the interval, duration, place, font and colour.")
set(CPACK_DEBIAN_FILE_NAME ${GLIMRA_DEB_FILE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${GLIMRA_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.orvanta.example/glimra/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own Russian texts (dialog buttons), and the picture formats of "Add picture..." that
# Qt's base plugins do not read: SVG, and TGA, TIFF, MNG and WBMP.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qttranslations5-l10n, libqt5svg5, qt5-image-formats-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
