# The version as Windows shows it in a program's properties: 2.0.0.49 reads "2.00.0049"
# (minor in two digits, build number in four).
function(tavrel_pad value width out)
  string(LENGTH "${value}" length)
  math(EXPR zeros "${width} - ${length}")
  if(zeros GREATER 0)
    string(REPEAT 0 ${zeros} padding)
  endif()
  set(${out} "${padding}${value}" PARENT_SCOPE)
endfunction()
tavrel_pad(${PROJECT_VERSION_MINOR} 2 minor)
tavrel_pad(${PROJECT_VERSION_TWEAK} 4 build)
set(TAVREL_FILE_VERSION "${PROJECT_VERSION_MAJOR}.${minor}.${build}")
set(TAVREL_VERSION_COMMAS
  "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},${PROJECT_VERSION_TWEAK}")
set(TAVREL_COPYRIGHT "Copyright (c) 2026 The Tavrel developers")
