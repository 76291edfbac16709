-- A changed description; no row comes back when the file record changed meanwhile.
select v.c_comment, v.c_file, v.n_size, v.id_creator, v.id, v.n_crc,
       v.c_table, v.n_key, v.n_row_version, v.c_sha256, v.d_create
  from lrg.file_owner_update( :id , :c_comment , :n_row_version , :c_table , :n_key ) v
