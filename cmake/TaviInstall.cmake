# Installing and packaging the application for the desktop:
#   <prefix>/bin                     taviview, taviview-cli
#   <prefix>/share/taviview          the resources: Localizations/ (string catalogs) and models/
#                                    (the segmentation model), each only when present
#   <prefix>/share/applications      the desktop entry; share/metainfo the AppStream description
#   <prefix>/share/icons/hicolor     the icon as SVG and rendered at the theme's usual sizes
# The running program finds its resources as <bindir>/../share/taviview (core/localization/AppResources).
include(GNUInstallDirs)

set(TAVI_APP_ID com.quellora.TaviView)
set(TAVI_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging/linux)
set(TAVI_RESOURCE_DESTINATION ${CMAKE_INSTALL_DATADIR}/taviview)

install(TARGETS taviview taviview-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Both folders are looked at when installing, not when configuring: catalogs added to the source
# tree and a model fetched into the build tree later (scripts/fetch-models) are still picked up,
# and a checkout without them installs without them.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/Localizations DESTINATION ${TAVI_RESOURCE_DESTINATION}
    OPTIONAL FILES_MATCHING PATTERN "*.json" PATTERN "*.json.lzfse")
install(DIRECTORY ${CMAKE_BINARY_DIR}/resources/models DESTINATION ${TAVI_RESOURCE_DESTINATION}
    OPTIONAL FILES_MATCHING PATTERN "*.tflite")

install(FILES ${TAVI_PACKAGING_DIR}/${TAVI_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TAVI_PACKAGING_DIR}/${TAVI_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${TAVI_PACKAGING_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/taviview)

# The icon: the SVG is its one source; the PNG sizes are drawn from it by Qt's SVG renderer at
# build time (no pictures to keep in step by hand). Building taviview renders them, so an
# install after building the program always has them.
find_package(Qt6 REQUIRED COMPONENTS Svg)
add_executable(tavi-render-icon ${TAVI_PACKAGING_DIR}/render-icon.cpp)
target_link_libraries(tavi-render-icon PRIVATE Qt6::Gui Qt6::Svg)
set(TAVI_ICON_SIZES 16 22 24 32 48 64 128 256 512)
set(TAVI_ICON_DIR ${CMAKE_BINARY_DIR}/icons/hicolor)
set(TAVI_ICON_PNGS)
foreach(size ${TAVI_ICON_SIZES})
    list(APPEND TAVI_ICON_PNGS ${TAVI_ICON_DIR}/${size}x${size}/apps/${TAVI_APP_ID}.png)
endforeach()
add_custom_command(OUTPUT ${TAVI_ICON_PNGS}
    COMMAND tavi-render-icon ${TAVI_PACKAGING_DIR}/${TAVI_APP_ID}.svg ${TAVI_ICON_DIR} ${TAVI_APP_ID} ${TAVI_ICON_SIZES}
    DEPENDS tavi-render-icon ${TAVI_PACKAGING_DIR}/${TAVI_APP_ID}.svg
    COMMENT "Rendering the application icon")
add_custom_target(taviview-icons DEPENDS ${TAVI_ICON_PNGS})
add_dependencies(taviview taviview-icons)
install(DIRECTORY ${TAVI_ICON_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${TAVI_PACKAGING_DIR}/${TAVI_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# `install` and CPack take what is built (scripts/package builds the two programs first) instead
# of building every test and benchmark on the way.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# The Debian package (scripts/package). Library dependencies come from dpkg-shlibdeps reading the
# installed programs (the web engine's library also brings its helper process); Depends names only
# what no linked library declares: Qt's extra image-format plugins, the symbol font and the OCR
# engine's language data.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME taviview)
set(CPACK_PACKAGE_VENDOR Quellora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fast photo viewer with a non-destructive editing studio")
set(CPACK_PACKAGE_DESCRIPTION
"TaviView opens a photo or a folder and steps through it in a filmstrip, a grid
gallery or a side-by-side comparison. Every edit is kept as a recipe beside the
untouched original and rendered live: light, colour and detail adjustments,
filter looks, cropping and straightening, markup and redaction, an offline
background studio, screenshot frames and watermarks. It also reads text and
barcodes, shows EXIF and GPS information and exports to PNG, JPEG, HEIC, AVIF,
TIFF or PDF. The package includes taviview-cli, the same engine on the command
line.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quellora <support@quellora.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quellora.com)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-image-formats-plugins, fonts-material-design-icons-iconfont, tesseract-ocr-eng")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "tesseract-ocr-tur, qt6-wayland")
include(CPack)
