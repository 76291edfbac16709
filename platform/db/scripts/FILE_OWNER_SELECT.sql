-- The attachments of one owner row, in the order they were attached.
select v.c_comment, v.c_file, v.n_size, v.id_creator, v.id, v.n_crc,
       v.c_table, v.n_key, v.n_row_version, v.c_sha256, v.d_create
  from lrg.v_file_owner v
 where v.c_table = :c_table
   and v.n_key = :n_key
 order by v.id_link
