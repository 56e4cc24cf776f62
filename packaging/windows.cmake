# Windows: Tavrel.exe, its readme and the licence, all in one folder.
install(TARGETS Tavrel RUNTIME DESTINATION . COMPONENT tavrel)
install(FILES README.txt DESTINATION . COMPONENT tavrel)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt COMPONENT tavrel)
