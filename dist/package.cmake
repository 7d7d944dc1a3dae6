# The Debian package: `cpack -G DEB` in the build folder. Library
# dependencies come from the linked shared libraries (dpkg-shlibdeps); the
# fonts with Hebrew letters are named here, since nothing links them.
set(CPACK_PACKAGE_NAME tovanel)
set(CPACK_PACKAGE_VENDOR Quillmark)
set(CPACK_PACKAGE_CONTACT "Tovanel Developers <dev@tovanel.invalid>")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}a")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reader for the articles of the weekly Torah portions")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "culmus")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-core, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")
# CPack puts the summary first and indents these lines itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tovanel shows one Hebrew book whose 262 articles follow the weekly Torah
portions. It opens on the article for the coming Saturday's portion (Israel
or abroad), draws the text right to left in a font of your choice, and has
an index, bookmarks, search and copying to the clipboard. tovanel-cli looks
at the book, the schedule and rendered pages without a window.")

include(CPack)
