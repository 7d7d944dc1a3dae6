# The book: bookc compiles the book folder (TOVANEL_BOOK_DIR, the sample
# book by default) into a C++ source of resources in the build tree. The
# build stops when the compiler reports an error.
file(GLOB_RECURSE tovanel_book_sources CONFIGURE_DEPENDS
  ${TOVANEL_BOOK_DIR}/index.txt ${TOVANEL_BOOK_DIR}/lessons/*.txt)
set(tovanel_book_cpp ${CMAKE_CURRENT_BINARY_DIR}/book_resources.cpp)
add_custom_command(
  OUTPUT ${tovanel_book_cpp}
  COMMAND bookc build ${TOVANEL_BOOK_DIR} ${tovanel_book_cpp}
  DEPENDS bookc ${tovanel_book_sources}
  COMMENT "Compiling the book in ${TOVANEL_BOOK_DIR}"
  VERBATIM)
add_library(tovanel_book STATIC ${tovanel_book_cpp})
target_include_directories(tovanel_book PUBLIC ${PROJECT_SOURCE_DIR})
