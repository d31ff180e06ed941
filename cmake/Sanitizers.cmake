# ASan + UBSan for every target of the tree when VAROMBY_SANITIZE is on.
if(VAROMBY_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
