# Run by CPack once the install is staged and before it is packed: every folder gets mode 0755,
# whatever umask the build ran under, so that the package installs folders anyone can enter.
# Files keep the modes the install rules gave them.
file(CHMOD_RECURSE "${CPACK_TEMPORARY_DIRECTORY}" DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
