# tavrel_embed(FILE HEADER NAMESPACE FUNCTION OUTPUT): writes OUTPUT, a C++ source whose
# FUNCTION (declared in HEADER, in NAMESPACE) returns FILE's bytes as a std::string_view.
# Done when configuring, and again whenever FILE changes.
function(tavrel_embed file header namespace function output)
  get_filename_component(file ${file} ABSOLUTE)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
  file(READ ${file} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  file(CONFIGURE OUTPUT ${output} CONTENT "#include \"${header}\"
namespace ${namespace} {
static const unsigned char kData[] = {${bytes}};
std::string_view ${function}() { return {reinterpret_cast<const char*>(kData), sizeof kData}; }
}  // namespace ${namespace}
" @ONLY)
endfunction()
