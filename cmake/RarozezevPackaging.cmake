# The Debian package: `cpack -G DEB` in a build configured with -DCMAKE_INSTALL_PREFIX=/usr
# (scripts/package-check.sh builds and checks it). Libraries come from dpkg-shlibdeps; the
# data and plugins loaded at run time are named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rarozezev)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Rarozezev developers")
set(CPACK_PACKAGE_CONTACT "${RAROZEZEV_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "English lookup assistant for Chinese-speaking learners")
set(CPACK_PACKAGE_DESCRIPTION "Select English text in any application and press Alt+D: a floating panel
explains it in Simplified Chinese, with answers from an OpenAI-compatible
chat-completions service. Single words can be looked up offline in WordNet.
Saved words, phrases and sentences are reviewed with a spaced-repetition
scheduler, and a daily English article is written at the learner's level.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${RAROZEZEV_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://rarozezev.com/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Appended to what dpkg-shlibdeps finds: Qt's X11 and Wayland platforms (a Wayland session
# without XWayland has no other, and Qt aborts without its platform) and SVG icon plugins, GStreamer
# for the speech services' audio, libsecret (opened by QtKeychain), the dictionary, the
# system voice's data and a font with Chinese characters.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qt6-qpa-plugins, qt6-wayland, libqt6svg6, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, libsecret-1-0, wordnet-base, espeak-ng-data, fonts-wqy-microhei | fonts-noto-cjk | fonts-wqy-zenhei")
# A Secret Service keyring for the API keys, a notification server, and a PulseAudio sink.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
  "gnome-keyring | libkf5wallet-bin | keepassxc, notification-daemon, gstreamer1.0-pulseaudio")
include(CPack)
