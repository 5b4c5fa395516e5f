# The public headers: a folder that compiles on its own, staged in the build
# tree as it is installed (<prefix>/include/Kelto3D), and the kelto3d-sdk
# target through which in-tree hosts use it.
include(GNUInstallDirs)

# What a host compiles against: the type library headers and the part of the
# runtime they are written in. They are staged in the build tree exactly as
# they are installed, so that the example host and the header check compile
# against the staged folder alone and nothing private can slip in.
set(KELTO_PUBLIC_HEADERS
    include/kelto3d/ActionTables.h include/kelto3d/AxHost.h include/kelto3d/ColourSchemes.h
    include/kelto3d/Kelto3D.h include/kelto3d/ModelBuilders.h include/kelto3d/ModelTree.h
    include/kelto3d/Options.h include/kelto3d/PrimitiveType.h include/kelto3d/RendererPropPg.h
    include/kelto3d/Tags.h include/kelto3d/View.h include/kelto/Piping.h
    src/platform/com/Api.h src/platform/com/AxContainer.h src/platform/com/Boundary.h
    src/platform/com/ComError.h src/platform/com/ComPtr.h src/platform/com/Dispatch.h src/platform/com/Enumeration.h src/platform/com/DispatchEntry.h
    src/platform/com/ErrorInfo.h src/platform/com/Guid.h src/platform/com/Interfaces.h
    src/platform/com/Object.h src/platform/com/OleInterfaces.h src/platform/com/Strings.h src/platform/com/Types.h
    src/platform/com/TypeInfo.h src/platform/com/Variant.h src/platform/registry/Registry.h)
# The folder below <prefix>/include that holds them (one -I for a host).
set(KELTO_INCLUDE_SUBDIR Kelto3D)
set(KELTO_STAGED_INCLUDE ${CMAKE_BINARY_DIR}/sdk/include)

set(staged)
foreach(header ${KELTO_PUBLIC_HEADERS})
  # include/kelto3d/X.h -> kelto3d/X.h; src/platform/... -> platform/...
  string(REGEX REPLACE "^(include|src)/" "" relative ${header})
  set(out ${KELTO_STAGED_INCLUDE}/${relative})
  add_custom_command(OUTPUT ${out}
                     COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/${header} ${out}
                     DEPENDS ${PROJECT_SOURCE_DIR}/${header} VERBATIM)
  list(APPEND staged ${out})
  get_filename_component(dir ${relative} DIRECTORY)
  install(FILES ${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${KELTO_INCLUDE_SUBDIR}/${dir}
          COMPONENT dev)
endforeach()
add_custom_target(kelto3d-public-headers ALL DEPENDS ${staged})

# In-tree hosts use the SDK as an installed host would: the staged headers and
# the runtime's library, without the runtime's private include folders.
add_library(kelto3d-sdk INTERFACE)
target_include_directories(kelto3d-sdk INTERFACE ${KELTO_STAGED_INCLUDE})
target_link_libraries(kelto3d-sdk INTERFACE $<TARGET_LINKER_FILE:kelto3d-runtime> ${CMAKE_DL_LIBS})
add_dependencies(kelto3d-sdk kelto3d-public-headers kelto3d-runtime)

